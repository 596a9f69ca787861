// live_events.h - indications found by watching the machine between rounds:
// a process that started (CIM_InstCreation) or ended (CIM_InstDeletion),
// and a file system that filled past a usage threshold
// (CIM_AlertIndication). Only what some subscription wants is read.
#pragma once

#include <cimobj/cimobj.hpp>
#include <map>
#include <mutex>
#include <set>
#include <string>

namespace cimom {

// What the last round saw; the object manager's state holds one.
struct LiveEventMemory {
    std::mutex mutex;  // one round at a time
    bool watchingProcesses = false;
    // Process instances by Handle and CreationDate (a reused process id is
    // another process).
    std::map<std::wstring, cimobj::InstancePtr> processes;
    // The file systems (by Name) at or past the threshold, alerted once
    // each until they drop below it again.
    std::set<std::wstring> fullFileSystems;
};

}  // namespace cimom
