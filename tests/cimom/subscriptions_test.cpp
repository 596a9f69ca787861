// Filters, listener destinations and subscriptions in root/interop of the
// default schema: the keys the server fills in, every refusal with its
// status, and what a subscription in use protects.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <regex>

#include "om_fixture.h"
#include <cimom/live_providers.h>
#include <cimom/object_path_text.h>

#include "providers/live_names.h"
#include "support/objects.h"

namespace omtest {
namespace {

const std::wstring interop = L"root/interop";

cimom::MofOptions inNamespace(const std::wstring &nameSpace) {
    cimom::MofOptions options;
    options.defaultNamespace = nameSpace;
    return options;
}

class Subscriptions : public ::testing::Test {
protected:
    void SetUp() override {
        om = std::make_shared<cimom::ObjectManager>(L"testhost");
        std::string errors;
        for (const cimom::MofDiagnostic &d : om->loadDefaultSchema()) errors += d.text() + "\n";
        ASSERT_EQ(errors, "");
        ASSERT_TRUE(om->compileMofText("class Demo_Base { [Key] string Name; string State; }; class Demo_Service : Demo_Base {};", "demo.mof",
                                       inNamespace(L"root/cimv2"))
                        .empty());
    }
    // "code: message" of a CreateInstance, or the new path's text.
    std::string create(const std::string &className,
                       std::initializer_list<std::pair<std::string, std::string>> properties) {
        cimom::Status status = om->createInstance(interop, *instanceOf(className, properties), last);
        return status.ok() ? describe(last.get()) : std::to_string(status.code) + ": " + status.message;
    }
    std::string remove(const std::string &pathText) {
        cimom::Status status = om->deleteInstance(interop, *pathFromText(pathText));
        return std::to_string(status.code) + ": " + status.message;
    }
    static cimobj::PathPtr pathFromText(const std::string &text) {
        std::string error;
        cimobj::PathPtr path = cimom::parseObjectPathText(cimobj::fromUtf8(text), &error);
        EXPECT_TRUE(path) << error;
        return path;
    }
    std::string filter(const std::string &name, const std::string &query, const std::string &language = "WQL") {
        return create("CIM_IndicationFilter", {{"Name", name}, {"Query", query}, {"QueryLanguage", language}});
    }
    std::string destination(const std::string &name, const std::string &url) {
        return create("CIM_ListenerDestinationCIMXML", {{"Name", name}, {"Destination", url}});
    }
    // The text form of the path the last successful create returned.
    std::string lastPath() const {
        cimobj::PathPtr bare = cimom::copyPath(last.get());
        cimom::setPathLocation(bare.get(), L"", L"");
        return toUtf8(cimom::writeObjectPathText(bare.get()));
    }
    std::shared_ptr<cimom::ObjectManager> om;
    cimobj::PathPtr last;
    const std::string system = "SystemCreationClassName=\"CIMXML_ComputerSystem\",SystemName=\"" +
                               toUtf8(cimom::live::currentIdentity().host) + "\"";
    // The path text of a filter or destination named name, keys in name order.
    std::string keys(const std::string &className, const std::string &name) const {
        return className + ".CreationClassName=\"" + className + "\",Name=\"" + name + "\"," + system;
    }
    // The same as describe() shows it, keys in the class's order.
    std::string described(const std::string &className, const std::string &name) const {
        return "//testhost/root/interop:" + className + "." + system + ",CreationClassName=\"" + className +
               "\",Name=\"" + name;
    }
};

TEST_F(Subscriptions, EmptyKeysAreFilledAndTheIndicationServiceIsThere) {
    const std::string made = create("CIM_IndicationFilter", {{"Query", "SELECT * FROM CIM_InstCreation"},
                                                             {"QueryLanguage", "WQL"}, {"SystemName", ""}});
    const std::string prefix = described("CIM_IndicationFilter", "cimxmld:");
    EXPECT_EQ(made.substr(0, prefix.size()), prefix);
    EXPECT_TRUE(std::regex_match(made.substr(prefix.size()), std::regex("[0-9a-f]{16}\"")));
    EXPECT_EQ(destination("d", "http://127.0.0.1:5990/listen"),
              described("CIM_ListenerDestinationCIMXML", "d") + "\"");
    std::vector<cimobj::InstancePtr> services;
    ASSERT_TRUE(om->enumerateInstances(interop, L"CIM_IndicationService", {}, services).ok());
    ASSERT_EQ(services.size(), 1u);
    EXPECT_EQ(describe(services[0]->path),
              "//testhost/root/interop:CIM_IndicationService.Name=\"cimxmld:IndicationService\"," + system +
                  ",CreationClassName=\"CIM_IndicationService\"");
}

TEST_F(Subscriptions, FiltersAndDestinationsThatCannotWorkAreRefused) {
    struct Case {
        std::string query, language, expected;
    } filters[] = {
        {"SELECT * FROM CIM_InstModification WHERE SourceInstance ISA 'Demo_Service' AND "
         "SourceInstance.State <> PreviousInstance.State", "WQL",
         "4: Query: WQL column 94: unexpected character '.'"},
        {"SELECT * FROM CIM_InstCreation WHERE SourceInstance ISA 'Demo_Service'", "wql", ""},
        {"SELECT * FROM", "WQL", "4: Query: WQL column 14: expected a class name after 'FROM'"},
        {"SELECT * FROM CIM_ManagedElement", "WQL", "4: Query: class CIM_ManagedElement is not an indication class"},
        {"SELECT * FROM Nope_Indication", "DMTF:CQL", "4: Query: class Nope_Indication does not exist"},
        {"SELECT * FROM CIM_InstCreation WHERE Nope = 1", "WQL",
         "4: Query: WQL column 38: class 'CIM_InstCreation' has no property 'Nope'"},
        {"SELECT SourceInstance FROM CIM_InstModification WHERE SourceInstance ISA Demo_Service AND "
         "SourceInstance.State = 'running'", "DMTF:CQL", ""},
        {"SELECT * FROM CIM_InstCreation WHERE SourceInstance.State = ", "DMTF:CQL",
         "4: Query: CQL column 61: expected a value after '='"},
        {"SELECT FROM CIM_InstCreation", "DMTF:CQL", "4: Query: CQL column 8: expected a select list before FROM"},
        {"SELECT * FROM CIM_InstCreation", "XQL", "7: QueryLanguage \"XQL\" is not supported (WQL and DMTF:CQL are)"},
        {"", "WQL", "4: Query is required"},
    };
    int n = 0;
    for (const Case &c : filters) {
        std::string made = filter("f" + std::to_string(++n), c.query, c.language);
        EXPECT_EQ(made.rfind("//testhost", 0) == 0 ? "" : made, c.expected) << c.query;
    }
    struct Url {
        std::string url, expected;
    } destinations[] = {
        {"http://127.0.0.1:5990/listen", ""},
        {"HTTPS://listener.example:443", ""},
        {"http://[::1]:5990/", ""},
        {"ftp://listener.example/", "4: Destination \"ftp://listener.example/\": scheme ftp is not supported (only http and https)"},
        {"listener.example:5990", "4: Destination \"listener.example:5990\": not a URL (expected http://host[:port]/path)"},
        {"http:///x", "4: Destination \"http:///x\": no host"},
        {"http://h:99999/", "4: Destination \"http://h:99999/\": port \"99999\" is not a number from 1 to 65535"},
        {"http://u:p@h/", "4: Destination \"http://u:p@h/\": credentials in the URL are not accepted"},
        {"http://169.254.169.254/latest/meta-data",
         "2: Destination host 169.254.169.254 is refused: link-local and metadata addresses never receive indications"},
        {"http://[fe80::1%25eth0]:80/", "4: Destination \"http://[fe80::1%25eth0]:80/\": [fe80::1%25eth0] is no IPv6 address"},
        {"http://[fe80::1]:80/", "2: Destination host fe80::1 is refused: link-local and metadata addresses never receive indications"},
        {"http://Metadata.Google.Internal/", "2: Destination host metadata.google.internal is refused: link-local and metadata addresses never receive indications"},
        {"", "4: Destination is required: the listener's http or https URL"},
    };
    for (const Url &d : destinations) {
        std::string made = destination("d" + std::to_string(++n), d.url);
        EXPECT_EQ(made.rfind("//testhost", 0) == 0 ? "" : made, d.expected) << d.url;
    }
    EXPECT_EQ(create("CIM_ListenerDestinationCIMXML", {{"Name", "p"}, {"Destination", "http://h/"}, {"Protocol", "3"}}),
              "7: Protocol 3 is not supported: this server delivers CIM-XML (2)");
}

TEST_F(Subscriptions, SubscriptionsJoinExistingFiltersAndDestinationsWhichStayWhileUsed) {
    ASSERT_EQ(filter("f", "SELECT * FROM CIM_InstCreation").rfind("//", 0), 0u);
    ASSERT_EQ(destination("d", "http://127.0.0.1:5990/").rfind("//", 0), 0u);
    const std::string f = keys("CIM_IndicationFilter", "f");
    const std::string d = keys("CIM_ListenerDestinationCIMXML", "d");
    const std::string other = keys("CIM_IndicationFilter", "g");
    EXPECT_EQ(create("CIM_IndicationSubscription", {{"Filter", other}, {"Handler", d}}),
              "4: Filter " + other + " is no existing CIM_IndicationFilter");
    // The class's own reference types are checked first.
    EXPECT_EQ(create("CIM_IndicationSubscription", {{"Filter", f}, {"Handler", f}}),
              "4: property Handler: CIM_IndicationFilter is not a CIM_ListenerDestination");
    EXPECT_EQ(create("CIM_IndicationSubscription", {{"Filter", f}}),
              "4: key property Handler of class CIM_IndicationSubscription has no value");
    ASSERT_EQ(create("CIM_IndicationSubscription", {{"Filter", f}, {"Handler", d}})
                  .rfind("//testhost/root/interop:CIM_IndicationSubscription.", 0), 0u);
    const std::string subscription = lastPath();
    cimobj::InstancePtr made;
    ASSERT_TRUE(om->getInstance(interop, *pathFromText(subscription), {}, made).ok());
    EXPECT_NE(describe(made.get()).find("SubscriptionState uint16 = 2"), std::string::npos) << describe(made.get());
    EXPECT_EQ(remove(f), "1: filter " + f + " is used by subscription " + subscription +
                             "; delete the subscription first");
    EXPECT_EQ(remove(d).substr(0, 15), "1: destination ");
    // A filter that would no longer compile is refused as at creation.
    cimobj::InstancePtr changed = instanceOf("CIM_IndicationFilter", {{"Query", "SELECT * FROM CIM_Namespace"}});
    EXPECT_EQ(om->modifyInstance(interop, *pathFromText(f), *changed, false, std::nullopt).message,
              "Query: class CIM_Namespace is not an indication class");
    EXPECT_EQ(remove(subscription), "0: ");
    EXPECT_EQ(remove(f), "0: ");
    EXPECT_EQ(remove(d), "0: ");
}

// The property name of an indication: an embedded instance's State, else
// the value as text.
std::string shown(const CIMInstance &indication, const char *name) {
    for (CIMProperty *p : cimom::items<CIMProperty>(indication.properties)) {
        if (toUtf8(cimobj::view(p->name)) != name) continue;
        if (!p->value || p->value->isNull) return "NULL";
        if (p->value->type != CIM_OBJECT) return describe(p->value);
        std::string text = describe(p->value->data.instance);
        std::size_t at = text.find("State string = ");
        return at == std::string::npos ? text : text.substr(at + 15, text.find('\n', at) - at - 15);
    }
    return "absent";
}

TEST_F(Subscriptions, EachWriteMakesTheLifecycleIndicationsWhoseFiltersSelectIt) {
    std::vector<cimom::OutgoingIndication> sent;
    om->setIndicationSink([&](std::vector<cimom::OutgoingIndication> &&event) {
        for (cimom::OutgoingIndication &one : event) sent.push_back(std::move(one));
    });
    const std::string d = keys("CIM_ListenerDestinationCIMXML", "d");
    ASSERT_EQ(destination("d", "http://127.0.0.1:5990/listen").rfind("//", 0), 0u);
    struct Subscribed {
        std::string name, query, language;
    } filters[] = {
        {"made", "SELECT * FROM CIM_InstCreation WHERE SourceInstance ISA 'Demo_Service'", "WQL"},
        {"running", "SELECT * FROM CIM_InstModification WHERE SourceInstance.State = 'running'", "DMTF:CQL"},
        {"others", "SELECT * FROM CIM_InstIndication WHERE SourceInstance ISA 'Demo_Service'", "WQL"},
        {"gone", "SELECT * FROM CIM_InstDeletion", "WQL"},
        // Filed by the class SourceInstance must be: a superclass's filter is
        // asked too; one with OR is asked whatever the class.
        {"base", "SELECT * FROM CIM_InstDeletion WHERE (SourceInstance ISA Demo_Base) AND SourceInstance.State = 'stopped'",
         "DMTF:CQL"},
        {"either", "SELECT * FROM CIM_InstCreation WHERE SourceInstance ISA CIM_Indication OR SourceInstance.State = 'starting'",
         "DMTF:CQL"},
        {"other", "SELECT * FROM CIM_InstCreation WHERE SourceInstance ISA 'CIM_Indication'", "WQL"},
        {"made too", "SELECT * FROM CIM_InstCreation WHERE SourceInstance ISA 'Demo_Service'", "WQL"},  // asked once
        // Filed by the class and the text of State too.
        {"base running", "SELECT * FROM CIM_InstModification WHERE SourceInstance ISA Demo_Base AND SourceInstance.State = 'running'",
         "DMTF:CQL"},
    };
    for (const Subscribed &f : filters) {
        ASSERT_EQ(filter(f.name, f.query, f.language).rfind("//", 0), 0u) << f.name;
        std::string path = keys("CIM_IndicationFilter", f.name);
        ASSERT_EQ(create("CIM_IndicationSubscription", {{"Filter", path}, {"Handler", d}}).rfind("//", 0), 0u);
    }
    // A filter that watches another namespace only.
    ASSERT_TRUE(om->compileMofText("instance of CIM_IndicationFilter { Name = \"elsewhere\"; Query = \"SELECT * FROM "
                                   "CIM_InstIndication\"; QueryLanguage = \"WQL\"; SourceNamespaces = {\"root/x\"}; };",
                                   "f.mof", inNamespace(interop)).empty());
    ASSERT_EQ(create("CIM_IndicationSubscription",
                     {{"Filter", keys("CIM_IndicationFilter", "elsewhere")},
                      {"Handler", d}}).rfind("//", 0), 0u);
    EXPECT_EQ(om->indicationCounts().activeSubscriptions, 10u);
    EXPECT_EQ(sent.size(), 0u);  // no filter selects the subscriptions' own creations
    const cimom::IndicationCounts before = om->indicationCounts();

    const std::wstring cimv2 = L"root/cimv2";
    cimobj::PathPtr made;
    ASSERT_TRUE(om->createInstance(cimv2, *instanceOf("Demo_Service", {{"Name", "web"}, {"State", "starting"}}), made).ok());
    cimobj::PathPtr web = pathOf("Demo_Service", {{"Name", "web"}}, "root/cimv2");
    cimobj::ValuePtr running = stringValue("running");
    ASSERT_TRUE(om->setProperty(cimv2, *web, L"State", running.get()).ok());
    ASSERT_TRUE(om->modifyInstance(cimv2, *web, *instanceOf("Demo_Service", {{"State", "stopped"}}), false,
                                   std::vector<std::wstring>{L"State"}).ok());
    ASSERT_TRUE(om->deleteInstance(cimv2, *web).ok());

    std::string seen;
    for (const cimom::OutgoingIndication &one : sent) {
        seen += toUtf8(cimobj::view(one.indication->className)) + " \"" + toUtf8(one.target->filterName) + "\"" +
                ": " + shown(*one.indication, "SourceInstance") + " was " + shown(*one.indication, "PreviousInstance") +
                " at " + (shown(*one.indication, "IndicationTime") == "NULL" ? "?" : "time") + " to " + one.target->url + "\n";
        EXPECT_EQ(toUtf8(one.target->destination), "root/interop:" + d);
        EXPECT_EQ(shown(*one.indication, "SourceInstanceModelPath"), "\"root/cimv2:Demo_Service.Name=\"web\"\"");
    }
    EXPECT_EQ(seen,
              "CIM_InstCreation \"made\": \"starting\" was absent at time to http://127.0.0.1:5990/listen\n"
              "CIM_InstCreation \"others\": \"starting\" was absent at time to http://127.0.0.1:5990/listen\n"
              "CIM_InstCreation \"either\": \"starting\" was absent at time to http://127.0.0.1:5990/listen\n"
              "CIM_InstCreation \"made too\": \"starting\" was absent at time to http://127.0.0.1:5990/listen\n"
              "CIM_InstModification \"running\": \"running\" was \"starting\" at time to http://127.0.0.1:5990/listen\n"
              "CIM_InstModification \"others\": \"running\" was \"starting\" at time to http://127.0.0.1:5990/listen\n"
              "CIM_InstModification \"base running\": \"running\" was \"starting\" at time to http://127.0.0.1:5990/listen\n"
              "CIM_InstModification \"others\": \"stopped\" was \"running\" at time to http://127.0.0.1:5990/listen\n"
              "CIM_InstDeletion \"others\": \"stopped\" was absent at time to http://127.0.0.1:5990/listen\n"
              "CIM_InstDeletion \"gone\": \"stopped\" was absent at time to http://127.0.0.1:5990/listen\n"
              "CIM_InstDeletion \"base\": \"stopped\" was absent at time to http://127.0.0.1:5990/listen\n");
    cimom::IndicationCounts counts = om->indicationCounts();
    EXPECT_EQ(counts.generated - before.generated, 4u);
    EXPECT_EQ(counts.matched - before.matched, 11u);
}

TEST_F(Subscriptions, AListenerGoneForGoodDisablesOrRemovesItsSubscriptionsByPolicy) {
    om->setIndicationSink([](std::vector<cimom::OutgoingIndication> &&) {});
    ASSERT_EQ(filter("f", "SELECT * FROM CIM_InstIndication").rfind("//", 0), 0u);
    const std::string f = keys("CIM_IndicationFilter", "f");
    struct Case {
        const char *name, *policy;
        std::string after;
    } cases[] = {
        {"ignore", "2", "SubscriptionState uint16 = 2"},
        {"disable", "3", "SubscriptionState uint16 = 4"},
        {"remove", "4", "6: "},
        {"service", "", "SubscriptionState uint16 = 4"},  // the service's SubscriptionRemovalAction: Disable
    };
    for (const Case &c : cases) {
        ASSERT_EQ(destination(c.name, "http://127.0.0.1:5990/").rfind("//", 0), 0u);
        std::string d = keys("CIM_ListenerDestinationCIMXML", c.name);
        std::string s = create("CIM_IndicationSubscription", *c.policy ? std::initializer_list<std::pair<std::string, std::string>>{
                                   {"Filter", f}, {"Handler", d}, {"OnFatalErrorPolicy", c.policy}}
                                   : std::initializer_list<std::pair<std::string, std::string>>{{"Filter", f}, {"Handler", d}});
        ASSERT_EQ(s.rfind("//", 0), 0u) << s;
        const std::string made = lastPath();
        om->destinationFailed(cimobj::fromUtf8("root/interop:" + d));
        cimobj::InstancePtr now;
        cimom::Status status = om->getInstance(interop, *pathFromText(made), {}, now);
        std::string text = status.ok() ? describe(now.get()) : std::to_string(status.code) + ": ";
        EXPECT_NE(text.find(c.after), std::string::npos) << c.name << "\n" << text;
    }
    EXPECT_EQ(om->indicationCounts().activeSubscriptions, 1u);  // the ignoring one
}

TEST_F(Subscriptions, TheMachineIsWatchedForProcessesAndFullFileSystemsWhileSubscribed) {
    cimom::registerLiveProviders(*om);
    std::vector<cimom::OutgoingIndication> sent;
    om->setIndicationSink([&](std::vector<cimom::OutgoingIndication> &&event) {
        for (cimom::OutgoingIndication &one : event) sent.push_back(std::move(one));
    });
    cimom::LiveIndicationSettings settings;
    settings.fileSystemAlertPercent = 1;  // every file system in use
    // What one round sent: the class, and the process's Handle or the alert's cause.
    auto round = [&] {
        sent.clear();
        om->pollLiveIndications(settings);
        std::multiset<std::string> seen;
        for (const cimom::OutgoingIndication &one : sent) {
            std::string kind = toUtf8(cimobj::view(one.indication->className));
            std::string source;
            for (CIMProperty *p : cimom::items<CIMProperty>(one.indication->properties))
                if (cimobj::view(p->name) == L"SourceInstance" && p->value && !p->value->isNull)
                    source = describe(p->value->data.instance);
            std::size_t handle = source.find("Handle string = ");
            seen.insert(kind + " " + (handle != std::string::npos ? source.substr(handle + 16, source.find('\n', handle) - handle - 16)
                                                                   : shown(*one.indication, "ProbableCause")));
        }
        return seen;
    };
    EXPECT_TRUE(round().empty());  // nobody subscribed: nothing is read
    const std::string d = keys("CIM_ListenerDestinationCIMXML", "d");
    ASSERT_EQ(destination("d", "http://127.0.0.1:5990/").rfind("//", 0), 0u);
    for (const char *query : {"SELECT * FROM CIM_InstIndication WHERE SourceInstance ISA CIMXML_UnixProcess",
                              "SELECT * FROM CIM_AlertIndication WHERE PerceivedSeverity >= 3"}) {
        std::string name = std::to_string(sent.size()) + std::string(query).substr(14, 8);
        ASSERT_EQ(filter(name, query).rfind("//", 0), 0u);
        ASSERT_EQ(create("CIM_IndicationSubscription", {{"Filter", keys("CIM_IndicationFilter", name)}, {"Handler", d}})
                      .rfind("//", 0), 0u);
    }
    std::multiset<std::string> first = round();  // processes: only looked at; file systems: each alerts once
    ASSERT_FALSE(first.empty());
    EXPECT_EQ(first.count("CIM_AlertIndication 50"), first.size());  // Storage Capacity Problem
    pid_t child = fork();
    if (child == 0) {
        pause();
        _exit(0);
    }
    ASSERT_GT(child, 0);
    const std::string handle = "\"" + std::to_string(child) + "\"";
    std::multiset<std::string> started = round();
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    std::multiset<std::string> ended = round();
    EXPECT_EQ(started.count("CIM_InstCreation " + handle), 1u);
    EXPECT_EQ(started.count("CIM_AlertIndication 50"), 0u);  // still full: not again
    EXPECT_EQ(ended.count("CIM_InstDeletion " + handle), 1u);
    EXPECT_EQ(ended.count("CIM_InstCreation " + handle), 0u);
}

}  // namespace
}  // namespace omtest
