// live_names.h - how this machine's live elements are named: the classes
// the live providers serve, the key values of their instances, the paths
// made from them and the check that a client's path names one of them.
#pragma once

#include <sys/types.h>

#include <cimobj/cimobj.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "cimom/status.h"

namespace cimom::live {

inline constexpr std::wstring_view computerSystemClass = L"CIMXML_ComputerSystem";
inline constexpr std::wstring_view operatingSystemClass = L"CIMXML_OperatingSystem";
inline constexpr std::wstring_view processClass = L"CIMXML_UnixProcess";
inline constexpr std::wstring_view fileSystemClass = L"CIMXML_LocalFileSystem";
inline constexpr std::wstring_view objectManagerClass = L"CIM_ObjectManager";
inline constexpr std::wstring_view namespaceClass = L"CIM_Namespace";
inline constexpr std::wstring_view cimxmlMechanismClass = L"CIM_CIMXMLCommunicationMechanism";
inline constexpr std::wstring_view registeredProfileClass = L"CIM_RegisteredProfile";
// The object manager's Name: one per system, so the product's name does.
inline constexpr std::wstring_view objectManagerName = L"cimxmld";

// Who "this machine" is, read once per provider call so that every path of
// one result agrees.
struct Identity {
    std::wstring host;    // the computer system's Name: the host name
    std::wstring osName;  // the operating system's Name: the kernel's name
};
Identity currentIdentity();

// Key bindings (name, text), in the order of the class's properties, as the
// object manager orders the keys of the paths it gives (Name, a key
// overridden from CIM_ManagedSystemElement, comes first).
using KeyValues = std::vector<std::pair<std::wstring_view, std::wstring>>;
KeyValues computerSystemKeys(const Identity &identity);
KeyValues operatingSystemKeys(const Identity &identity);
KeyValues processKeys(const Identity &identity, pid_t pid);
KeyValues fileSystemKeys(const Identity &identity, std::wstring mountPoint);
// The object manager is a service of the computer system, and its
// namespaces and communication mechanisms carry its keys in turn.
KeyValues objectManagerKeys(const Identity &identity);
KeyValues namespaceKeys(const Identity &identity, std::wstring nameSpace);
KeyValues mechanismKeys(const Identity &identity, std::wstring name);
KeyValues registeredProfileKeys(std::wstring instanceId);

// A new path naming className with keys as string keys; no namespace, no host.
cimobj::PathPtr livePath(std::wstring_view className, const KeyValues &keys);

// The text of the key called name in path (a string key, or an integer
// key as decimal text); nullopt when path has no such key.
std::optional<std::wstring> keyText(const CIMObjectPath &path, std::wstring_view name);

// Whether path names the element of className whose keys are expected:
// status 0 when it does; 4 when a key is missing or one it should not have
// is there; 6 when the class or a key's text differs. Texts compare without
// regard to case, except the key called exactKey.
Status matchPath(const CIMObjectPath &path, std::wstring_view className, const KeyValues &expected,
                 std::wstring_view exactKey);

}  // namespace cimom::live
