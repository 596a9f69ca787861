// cimom_double.h - a stand-in object manager behind a CIMOMHandle, for tests
// and benchmarks that drive the operation functions or the whole handler.
//
//   testsupport::CimomDouble cimom;            // every slot 4..28 and 29 filled
//   cimom.setResult("pfn_getClass", [] { return (void *)testsupport::makeClass(L"CIM_Foo"); });
//   cimom.setStatus("pfn_deleteClass", 6, "no such class");
//   run(..., cimom.handle());
//   EXPECT_EQ(cimom.lastCall("pfn_enumerateClasses"),
//             (testsupport::CallArgs{{"path", "root/cimv2:(none)"}, {"deepInheritance", "0"},
//                                    {"localOnly", "1"}, {"includeQualifiers", "1"},
//                                    {"includeClassOrigin", "0"}}));
//
// Slots are named as the CIMOMHandle members ("pfn_getClass"); an unknown
// name throws std::invalid_argument. Every call is recorded as its slot name
// and one readable text per argument, named as in cimom_handle.h:
//   path           [//host/]namespace:ClassName[.Key=literal,...]; "(null)"
//                  for an absent namespace, "(none)" for an absent class name
//   booleans       "0" or "1" (the int as passed)
//   CIMString      its text, "(null)" when absent
//   CIMStringList  "{A,B}", "{}" when empty, "(null)" when absent
//   CIMValue       "<type> <literal>", e.g. `uint32 5`, `string "x"`
//   instance       namespace:ClassName{Name:type=literal,...}
//   class          namespace:ClassName{...properties as above}
//   declaration    Name:type=literal scope=N flavor=N
//   parameters     {Name:type=literal,...}
// Literals: strings quoted, booleans true/false, references, instances and
// classes in braces, arrays in brackets, "(null)" for a null value.
//
// Each slot answers with the status set for it (default 0, no description)
// and, when the status is 0 (or alsoOnError was set), with a fresh result
// from its factory; without a factory the out-result stays NULL. The module
// frees what it receives, so a factory must make a new object every call.
// Arguments are lent by the module: the double only reads them.
//
// One double may serve many threads at once (all state is under a mutex;
// factories run outside it). Because the slot functions get no handle
// argument, each double takes one of a fixed number of slot-function sets;
// up to 8 doubles can be alive at the same time.
#pragma once

#include <cstddef>
#include <functional>
#include <initializer_list>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <cimxml/cimom_handle.h>

namespace testsupport {

// Argument name and its text, in the slot's argument order.
using CallArgs = std::vector<std::pair<std::string, std::string>>;

struct Call {
    std::string slot;
    CallArgs args;
    // Text of the named argument; throws std::out_of_range when absent.
    const std::string &arg(const std::string &name) const;
};

class CimomDouble {
public:
    using Factory = std::function<void *()>;
    // Fills the output parameter list of pfn_invokeMethod (the list is the
    // module's; append new properties to it).
    using OutputFiller = std::function<void(CIMPropertyList *)>;

    // Every slot from 4 to 29 answers status 0 with no result.
    CimomDouble();
    ~CimomDouble();
    CimomDouble(const CimomDouble &) = delete;
    CimomDouble &operator=(const CimomDouble &) = delete;

    CIMOMHandle *handle() { return &handle_; }

    // Status to return from slot; no description when nullopt.
    void setStatus(const std::string &slot, int code,
                   std::optional<std::string> description = std::nullopt);
    // Fresh result for each call of slot (a pointer of the slot's result
    // type: CIMClass *, CIMObjectPathList *, CIMValue *, ...).
    void setResult(const std::string &slot, Factory factory, bool alsoOnError = false);
    void setInvokeOutput(OutputFiller filler);
    // Leaves the slots NULL in the handle (restored by answerEverySlot).
    void leaveNull(std::initializer_list<std::string> slots);
    // Plausible results for every slot that has one: the classes, instances,
    // paths, declarations and values of the builders below, in namespace
    // "root/cimv2". Statuses are reset to 0 and every slot is filled again.
    void answerEverySlot();

    // Recorded calls, oldest first. lastCall throws std::out_of_range when
    // slot was never called.
    std::vector<Call> calls() const;
    CallArgs lastCall(const std::string &slot) const;
    std::size_t callCount(const std::string &slot) const;
    void clearCalls();
    // With recording off only the counts are kept (benchmarks, long runs).
    void setRecording(bool on);

    // Used by the slot functions: records the call and produces the answer.
    ReturnCode *answer(int slot, CallArgs &&args, void **result);
    ReturnCode *answerInvoke(CallArgs &&args, CIMPropertyList *outParameters, CIMValue **result);

private:
    struct SlotSetup {
        int code = 0;
        std::optional<std::string> description;
        Factory factory;
        bool alsoOnError = false;
        std::size_t calls = 0;
    };
    void fillSlots();
    ReturnCode *statusAndResult(int slot, void **result);

    CIMOMHandle handle_{};
    int bank_ = -1;
    mutable std::mutex mutex_;
    std::vector<SlotSetup> setup_;
    std::vector<Call> calls_;
    OutputFiller outputFiller_;
    bool recording_ = true;
};

// ---- Readable texts (as recorded) ----
std::string narrowText(const CIMString *text);
std::string pathText(const CIMObjectPath *path);
std::string valueText(const CIMValue *value);  // "<type> <literal>"
std::string instanceText(const CIMInstance *instance);
std::string classText(const CIMClass *cimClass);
std::string parametersText(const CIMPropertyList *parameters);

// ---- Builders of typical results (each returns a new object the caller owns) ----

// A class with a key string property "Name" (qualifier Key), "Caption"
// (string), "Count" (uint32) and "Enabled" (boolean), namespace nameSpace.
CIMClass *makeClass(const wchar_t *className, const wchar_t *nameSpace = L"root/cimv2");
// An instance numbered index with 10 properties: key "Name" = "<class>-<index>",
// then strings, integers, a boolean, a real and a datetime; its own path is
// made by newObjectPathFromInst.
CIMInstance *makeInstance(const wchar_t *className, int index,
                          const wchar_t *nameSpace = L"root/cimv2");
CIMInstanceList *makeInstanceList(const wchar_t *className, int count,
                                  const wchar_t *nameSpace = L"root/cimv2");
// Path of the instance makeInstance would make (one key "Name").
CIMObjectPath *makeInstancePath(const wchar_t *className, int index,
                                const wchar_t *nameSpace = L"root/cimv2");
CIMObjectPathList *makePathList(const wchar_t *className, int count,
                                const wchar_t *nameSpace = L"root/cimv2");
// Class paths (class name only) "CIM_Class0".."CIM_Class<count-1>".
CIMObjectPathList *makeClassPathList(int count, const wchar_t *nameSpace = L"root/cimv2");
CIMClassList *makeClassList(int count, const wchar_t *nameSpace = L"root/cimv2");
// A boolean qualifier declaration, default false, scope property and
// reference, flavors EnableOverride and ToSubclass.
CIMQualifierType *makeQualifierDeclaration(const wchar_t *name);
CIMQualifierTypeList *makeQualifierDeclarationList(int count);

}  // namespace testsupport
