// object_manager.h - the object manager: namespaces, qualifier declarations,
// classes, instances, associations, queries and methods over an in-memory
// repository, with the operation semantics WBEM clients expect.
//
// Thread safety: every member may be called from many threads at once. Reads
// run side by side; writes are serialised and no read sees half of one.
// Ownership: arguments are lent (the object manager copies what it keeps);
// results are new objects the caller owns. Names (namespaces, classes,
// properties, qualifiers, methods) are compared without regard to case.
// Every operation returns a Status: 0, or the CIM status code with a
// description; on failure the result arguments are left empty and nothing
// has changed.
#pragma once

#include <chrono>
#include <cimobj/cimobj.hpp>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "indications.h"
#include "journal.h"
#include "mof.h"
#include "operation_options.h"
#include "provider.h"
#include "pulled_enumerations.h"
#include "status.h"

namespace cimom {

// Results of Associators, References and ExecQuery: classes when the
// operation worked at the schema level, else instances.
struct ClassesOrInstances {
    bool areClasses = false;
    std::vector<cimobj::ClassPtr> classes;
    std::vector<cimobj::InstancePtr> instances;
};

struct ReceivedIndication {
    std::wstring nameSpace;
    cimobj::InstancePtr indication;
    std::chrono::system_clock::time_point received;
};

class ObjectManager {
public:
    // How many received indications are kept (the newest).
    static constexpr std::size_t indicationLogCapacity = 1000;

    // An object manager without namespaces. hostName names this server in
    // the paths it returns; empty: the machine's host name.
    explicit ObjectManager(std::wstring hostName = {});
    ~ObjectManager();
    ObjectManager(const ObjectManager &) = delete;
    ObjectManager &operator=(const ObjectManager &) = delete;

    // ---- Set-up ----

    // The folder of the default schema: where the installed tree keeps it
    // beside this library when that folder exists, else the sources it was
    // built from.
    static std::string defaultSchemaDir();
    // Creates root/cimv2 and root/interop when absent and compiles
    // root_cimv2.mof and root_interop.mof of schemaDir into them. Returns the
    // diagnostics; empty on success. A file that fails changes nothing.
    std::vector<MofDiagnostic> loadDefaultSchema(const std::string &schemaDir = defaultSchemaDir(),
                                                 Journaling journaling = Journaling::On);
    // Installs the journal every write passes (nullptr: accept everything).
    void setJournal(std::shared_ptr<Journal> journal);
    void setHostName(std::wstring hostName);
    std::wstring hostName() const;
    // Registers a provider for a class in a namespace (empty: in every
    // namespace); replaces an earlier one of the same kind. nullptr removes it.
    void registerInstanceProvider(const std::wstring &nameSpace, const std::wstring &className,
                                  std::shared_ptr<InstanceProvider> provider);
    void registerAssociationProvider(const std::wstring &nameSpace, const std::wstring &className,
                                     std::shared_ptr<AssociationProvider> provider);
    void registerMethodProvider(const std::wstring &nameSpace, const std::wstring &className,
                                std::shared_ptr<MethodProvider> provider);

    // ---- MOF ----

    // Compiles a MOF file (or text) into the repository, all or nothing: when
    // any declaration fails, what the compile had done is undone. Namespaces
    // the MOF names are created when absent. Returns the diagnostics; empty
    // on success.
    std::vector<MofDiagnostic> compileMofFile(const std::string &path, const MofOptions &options = {},
                                              Journaling journaling = Journaling::On);
    std::vector<MofDiagnostic> compileMofText(std::string_view text, const std::string &name,
                                              const MofOptions &options = {}, Journaling journaling = Journaling::On);

    // ---- Namespaces ----

    // Status 11 when it exists, 4 for a name that is not identifiers joined
    // by single slashes.
    Status createNamespace(const std::wstring &nameSpace, Journaling journaling = Journaling::On);
    // Removes a namespace with everything in it; status 3 when unknown.
    Status deleteNamespace(const std::wstring &nameSpace);
    // Names as created, in creation order.
    std::vector<std::wstring> namespaces() const;
    // How much the repository holds now: namespaces, classes and stored
    // instances (a provider's are not counted). Costs a look at each
    // namespace and class, none at an instance.
    struct RepositorySize {
        std::size_t namespaces = 0, classes = 0, instances = 0;
    };
    RepositorySize repositorySize() const;
    bool hasNamespace(const std::wstring &nameSpace) const;
    // The name nameSpace was created with (names compare without regard to
    // case); nullopt when there is no such namespace.
    std::optional<std::wstring> namespaceName(const std::wstring &nameSpace) const;

    // ---- Qualifier declarations ----

    Status getQualifier(const std::wstring &nameSpace, const std::wstring &name, cimobj::QualifierTypePtr &declaration);
    // Creates or replaces.
    Status setQualifier(const std::wstring &nameSpace, const CIMQualifierType &declaration,
                        Journaling journaling = Journaling::On);
    Status deleteQualifier(const std::wstring &nameSpace, const std::wstring &name);
    Status enumerateQualifiers(const std::wstring &nameSpace, std::vector<cimobj::QualifierTypePtr> &declarations);

    // ---- Classes ----

    Status getClass(const std::wstring &nameSpace, const std::wstring &className, const ClassOptions &options,
                    cimobj::ClassPtr &cimClass);
    // The subclasses of className (empty: the top-level classes), all of
    // them with deep, else the direct ones; superclasses before subclasses.
    Status enumerateClasses(const std::wstring &nameSpace, const std::wstring &className, bool deep,
                            const ClassOptions &options, std::vector<cimobj::ClassPtr> &classes);
    // Their paths (class name, namespace, host).
    Status enumerateClassNames(const std::wstring &nameSpace, const std::wstring &className, bool deep,
                               std::vector<cimobj::PathPtr> &classPaths);
    // The class as declared: its local members (inherited ones marked
    // propagated are ignored). 10 for an unknown superclass, 11 when it
    // exists, 4 for an undeclared or misplaced qualifier or a bad member.
    Status createClass(const std::wstring &nameSpace, const CIMClass &cimClass, Journaling journaling = Journaling::On);
    // Replaces a class's declaration. A change of properties or methods is
    // refused with 8 when the class has subclasses, 9 when it has instances.
    Status modifyClass(const std::wstring &nameSpace, const CIMClass &cimClass);
    // Removes the class with its subclasses and all their instances.
    Status deleteClass(const std::wstring &nameSpace, const std::wstring &className);

    // ---- Instances ----

    Status getInstance(const std::wstring &nameSpace, const CIMObjectPath &instanceName, const InstanceOptions &options,
                       cimobj::InstancePtr &instance);
    // Instances of className and (options.deepInheritance or not) its
    // subclasses, with the class's properties only when not deep.
    Status enumerateInstances(const std::wstring &nameSpace, const std::wstring &className,
                              const InstanceOptions &options, std::vector<cimobj::InstancePtr> &instances);
    Status enumerateInstanceNames(const std::wstring &nameSpace, const std::wstring &className,
                                  std::vector<cimobj::PathPtr> &instancePaths);
    // The same results handed over in order, at most batchSize at a time (0:
    // all in one), to deliver, which takes them and returns false to stop
    // (the enumeration then ends with success). The repository is read a
    // batch at a time, so writers are not held up for the whole enumeration:
    // an instance deleted before its batch is read is not given, one made
    // meanwhile may come last. A failure after some batches (a provider's)
    // is returned after them.
    using InstanceBatch = std::function<bool(std::vector<cimobj::InstancePtr> &batch)>;
    using PathBatch = std::function<bool(std::vector<cimobj::PathPtr> &batch)>;
    Status enumerateInstances(const std::wstring &nameSpace, const std::wstring &className,
                              const InstanceOptions &options, std::size_t batchSize, const InstanceBatch &deliver);
    Status enumerateInstanceNames(const std::wstring &nameSpace, const std::wstring &className, std::size_t batchSize,
                                  const PathBatch &deliver);
    // Values are converted to the declared types (4 naming the property when
    // one does not convert, or the class lacks it); class defaults fill what
    // is missing; 11 for a duplicate. newPath receives the path.
    Status createInstance(const std::wstring &nameSpace, const CIMInstance &instance, cimobj::PathPtr &newPath,
                          Journaling journaling = Journaling::On);
    // Replaces the properties properties names (all of modified's when
    // nullopt; one listed but absent from modified gets its class default; a
    // name the class lacks is ignored). Keys cannot change (4).
    Status modifyInstance(const std::wstring &nameSpace, const CIMObjectPath &instanceName, const CIMInstance &modified,
                          bool includeQualifiers, const PropertyNames &properties);
    Status deleteInstance(const std::wstring &nameSpace, const CIMObjectPath &instanceName);
    // 12 for a property the class lacks.
    Status getProperty(const std::wstring &nameSpace, const CIMObjectPath &instanceName, const std::wstring &name,
                       cimobj::ValuePtr &value);
    // value NULL sets the property to null; 13 for a value of another type,
    // 4 for text that does not spell the declared type.
    Status setProperty(const std::wstring &nameSpace, const CIMObjectPath &instanceName, const std::wstring &name,
                       const CIMValue *value);

    // ---- Associations (object: an instance path, or a class path for the schema level) ----

    Status associators(const std::wstring &nameSpace, const CIMObjectPath &object, const AssociationFilter &filter,
                       const InstanceOptions &options, ClassesOrInstances &results);
    Status associatorNames(const std::wstring &nameSpace, const CIMObjectPath &object, const AssociationFilter &filter,
                           std::vector<cimobj::PathPtr> &paths);
    Status references(const std::wstring &nameSpace, const CIMObjectPath &object, const AssociationFilter &filter,
                      const InstanceOptions &options, ClassesOrInstances &results);
    Status referenceNames(const std::wstring &nameSpace, const CIMObjectPath &object, const AssociationFilter &filter,
                          std::vector<cimobj::PathPtr> &paths);
    // The same results handed over in order, at most batchSize at a time (0:
    // all in one), to deliver, which takes them and returns false to stop
    // (the operation then ends with success). The association instances are
    // read a batch at a time; a failure after some batches (a provider's) is
    // returned after them. Classes (the schema level) come in one batch.
    using ObjectBatch = std::function<bool(ClassesOrInstances &batch)>;
    Status associators(const std::wstring &nameSpace, const CIMObjectPath &object, const AssociationFilter &filter,
                       const InstanceOptions &options, std::size_t batchSize, const ObjectBatch &deliver);
    Status associatorNames(const std::wstring &nameSpace, const CIMObjectPath &object, const AssociationFilter &filter,
                           std::size_t batchSize, const PathBatch &deliver);
    Status references(const std::wstring &nameSpace, const CIMObjectPath &object, const AssociationFilter &filter,
                      const InstanceOptions &options, std::size_t batchSize, const ObjectBatch &deliver);
    Status referenceNames(const std::wstring &nameSpace, const CIMObjectPath &object, const AssociationFilter &filter,
                          std::size_t batchSize, const PathBatch &deliver);

    // ---- Queries and methods ----

    // language "WQL" (any case), else 14; a query that does not parse or
    // names what the schema lacks gives 15.
    Status execQuery(const std::wstring &nameSpace, const std::wstring &query, const std::wstring &language,
                     ClassesOrInstances &results);
    // The same results in batches, as for enumerateInstances; the FROM
    // class's instances are read a batch at a time.
    Status execQuery(const std::wstring &nameSpace, const std::wstring &query, const std::wstring &language,
                     std::size_t batchSize, const InstanceBatch &deliver);
    // 17 when the class has no such method, 16 when no provider serves it,
    // 4 for a parameter the method lacks or a value that does not convert.
    Status invokeMethod(const std::wstring &nameSpace, const CIMObjectPath &target, const std::wstring &methodName,
                        const CIMPropertyList *inParameters, std::vector<cimobj::PropertyPtr> &outParameters,
                        cimobj::ValuePtr &returnValue);

    // ---- Pulled enumerations ----

    // Opens an enumeration and gives its first piece (request.maxObjectCount
    // results at most). A sequence that ends in that piece leaves no context.
    // 22 for an OperationTimeout of 0 or above the limit, 26 for
    // continueOnError, 27 beyond the limits on contexts or objects, 28 once
    // shutting down, 14 or 15 for a filter that is not FQL or does not parse,
    // and what the traditional operation answers (3, 5, 6, 4 ...).
    Status openEnumeration(const OpenEnumeration &request, PulledPiece &piece);
    // The next piece of the context (maxObjectCount results at most; 0 gives
    // none and restarts the context's timer). 21 for a context that is
    // unknown, closed, expired, of another user, another namespace or
    // another kind; 27 above the object limit. A failure closes the context.
    Status pullEnumeration(const std::string &user, const std::wstring &nameSpace, const std::string &context,
                           PulledKind kind, std::uint32_t maxObjectCount, PulledPiece &piece);
    // Frees the context: 21 as for a pull, 24 while a pull on it is in flight.
    Status closeEnumeration(const std::string &user, const std::wstring &nameSpace, const std::string &context);
    // How many results are left; 7 when that cannot be known without
    // reading them (a provider's), 21 as for a pull.
    Status enumerationCount(const std::string &user, const std::wstring &nameSpace, const std::string &context,
                            std::uint64_t &count);
    // Frees the contexts unused for longer than their timeout; returns how many.
    std::size_t expireEnumerations();
    // From now on new opens are refused with 28 (the server is stopping).
    void refuseNewEnumerations();
    void setPullLimits(const PullLimits &limits);
    PullStatistics pullStatistics() const;

    // ---- Indications ----

    // Keeps a copy of an exported indication (the newest
    // indicationLogCapacity are kept) and logs it at information level.
    Status deliverIndication(const std::wstring &nameSpace, const CIMInstance &indication);
    // Copies of the kept indications, oldest first.
    std::vector<ReceivedIndication> receivedIndications() const;

    // Every write of a stored instance (CreateInstance, ModifyInstance,
    // SetProperty, DeleteInstance, MOF) makes a CIM_InstCreation,
    // CIM_InstModification (with PreviousInstance) or CIM_InstDeletion for
    // each enabled subscription whose filter selects it; sink receives them
    // (nullptr: none are made).
    void setIndicationSink(IndicationSink sink);
    // The hosts listener destinations may name: empty, any but link-local
    // and metadata addresses; else only these (names caseless). Checked
    // when a destination is written.
    void setDestinationHosts(std::vector<std::string> allowed);
    // One round of watching the machine, for what subscriptions want: the
    // processes that started or ended since the last round make a
    // CIM_InstCreation or CIM_InstDeletion (SourceInstance the process as
    // the live provider of settings.nameSpace serves it), a file system
    // found at or past the usage threshold a CIM_AlertIndication. The first
    // round after nobody watched only looks. Call from one thread at a
    // steady interval; returns at once when no subscription wants these.
    void pollLiveIndications(const LiveIndicationSettings &settings);
    // A provider's indication (taken), made in nameSpace, for the
    // subscriptions whose filters select it: its class must derive from
    // CIM_InstCreation, CIM_InstModification, CIM_InstDeletion or
    // CIM_AlertIndication there (else status 4); IndicationTime is set when
    // NULL. Never waits for a listener.
    Status reportProviderIndication(const std::wstring &nameSpace, cimobj::InstancePtr indication);
    DeliverySettings deliverySettings() const;
    IndicationCounts indicationCounts() const;
    // Delivery to destination (an OutgoingIndication's) failed for good:
    // each subscription delivering there follows its OnFatalErrorPolicy
    // (3 Disable: SubscriptionState becomes 4; 4 Remove: it is deleted;
    // 2 Ignore: nothing), and one without a policy the service's
    // SubscriptionRemovalAction. Returns how many subscriptions changed.
    std::size_t destinationFailed(const std::wstring &destination);

    struct State;  // the implementation's

private:
    std::unique_ptr<State> state_;
};

}  // namespace cimom
