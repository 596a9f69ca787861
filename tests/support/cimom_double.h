// cimom_double.h - a stand-in object manager behind a CIMOMHandle, for tests
// and benchmarks that drive the operation functions or the whole handler.
//
//   testsupport::CimomDouble cimom;   // every slot answers status 0, no result
//   cimom.setResult("pfn_getClass", [] { return (void *)testsupport::makeClass(L"CIM_Foo"); });
//   cimom.setStatus("pfn_deleteClass", 6, "no such class");
//   ... cimom.handle() ...
//   EXPECT_EQ(cimom.callsText(), "pfn_deleteClass(path=root/cimv2:CIM_Foo)\n");
//
// Slots are named as the CIMOMHandle members; an unknown name throws
// std::invalid_argument. A slot answers with the status set for it (default
// 0, no description) and with a fresh result from its factory when one is
// set (the module frees what it receives). Arguments are only read.
//
// One double may serve many threads at once. The slot functions get no
// handle argument, so each double takes one of four sets of them: at most
// four doubles may be alive at the same time.
#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <cimxml/cimom_handle.h>

namespace testsupport {

class CimomDouble {
public:
    using Factory = std::function<void *()>;
    // Fills the output parameter list pfn_invokeMethod is lent (on success).
    using OutputFiller = std::function<void(CIMPropertyList *)>;

    CimomDouble();
    ~CimomDouble();
    CimomDouble(const CimomDouble &) = delete;
    CimomDouble &operator=(const CimomDouble &) = delete;

    CIMOMHandle *handle() { return &handle_; }
    // description: ASCII text, or none.
    void setStatus(const std::string &slot, int code, std::optional<std::string> description = std::nullopt);
    // factory makes a new result of the slot's type (CIMClass *, CIMList *, ...) per call.
    void setResult(const std::string &slot, Factory factory);
    void setInvokeOutput(OutputFiller filler);
    // Typical results (the builders below) for every slot that has one.
    void answerEverySlot();

    // The recorded calls, oldest first, one line each:
    // "pfn_getClass(path=root/cimv2:CIM_Foo, localOnly=1, ...)\n".
    std::string callsText() const;
    std::size_t callCount(const std::string &slot) const;
    void clearCalls();
    // With recording off only the counts are kept (long runs, benchmarks).
    void setRecording(bool on) { recording_ = on; }
    bool recording() const { return recording_; }

    // Used by the slot functions: records the call and gives status and result.
    std::pair<ReturnCode *, void *> answer(int slot, std::string &&call, CIMPropertyList *outParameters);

private:
    struct Setup {
        int code = 0;
        std::optional<std::string> description;
        Factory factory;
        std::size_t calls = 0;
    };
    CIMOMHandle handle_{};
    int bank_ = -1;
    mutable std::mutex mutex_;
    std::vector<Setup> setup_;
    std::string calls_;
    OutputFiller outputFiller_;
    std::atomic<bool> recording_{true};
};

// Texts of CIM objects, as recorded and as the decoding tests compare them:
//   path         [//host/]namespace:ClassName[.Key=literal,...]; "(null)" for
//                an absent namespace, "(none)" for an absent class name
//   literal      strings and datetimes quoted, char16 in single quotes,
//                booleans true/false, arrays in [], references, instances
//                and classes in {}, "(null)" for a null value
//   property     Name:type=literal, then " key", " origin=C", " propagated",
//                " refclass=C" where they apply, then its qualifiers as
//                " [Name:type=literal flavor=N[ propagated],...]"
//   instance     namespace:ClassName{property,...}
//   class        namespace:ClassName[:Super][ qualifiers]{property,...}
//                followed by " Method:type(parameter,...)[ origin...]" per method
//   declaration  Name:type=literal scope=N flavor=N
//   list         {item,...} of its items' texts; "(null)" for NULL
// A recorded value is "<type> <literal>".
std::string narrowText(const CIMString *text);
std::string pathText(const CIMObjectPath *path);
std::string propertyText(const CIMProperty *property);
std::string instanceText(const CIMInstance *instance);
std::string classText(const CIMClass *cimClass);
std::string declarationText(const CIMQualifierType *declaration);
std::string listText(const CIMList *list);
std::string valueText(const CIMValue *value);

// Builders of typical results; each returns a new object the caller owns.
// Instances of className in root/cimv2 with ten properties of several types
// and key "Name" = "<className>-<index>", with their own paths.
CIMInstanceList *makeInstanceList(const wchar_t *className, int count);
// A boolean declaration, default false, scope property and reference,
// flavors EnableOverride and ToSubclass.
CIMQualifierType *makeQualifierDeclaration(const wchar_t *name);

}  // namespace testsupport
