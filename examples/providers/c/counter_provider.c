/* counter_provider.c - an example of a provider that cimxmld loads as a
 * shared library (cimxml/provider.h): named counters, kept in memory, as
 * instances of Example_Counter that clients create, read, change and
 * delete, with a method Increment that sends a CIM_AlertIndication each
 * time a counter passes a multiple of 100. */
#include <cimxml/provider.h>

#include <pthread.h>
#include <stdint.h>
#include <stdlib.h>
#include <wchar.h>

#define MAX_COUNTERS 1000

typedef struct Counter {
    wchar_t *name;
    uint64_t value;
} Counter;

typedef struct Counters {
    const CIMXMLProviderBroker *broker;
    pthread_mutex_t lock; /* calls come from many threads */
    Counter items[MAX_COUNTERS];
    size_t count;
} Counters;

static void addProperty(CIMInstance *instance, const wchar_t *name, CIMValue *value, int type, int key) {
    CIMProperty *property = newProperty(newCIMString(name), NULL, value, type, NULL, 0);
    property->isKey = key;
    freeReturnCode(instanceAddProperty(instance, property));
}

static CIMInstance *counterInstance(const Counter *counter) {
    CIMInstance *instance = newInstance(newCIMString(L"Example_Counter"), NULL, NULL);
    addProperty(instance, L"Name", newCIMValue(CIM_STRING, newCIMString(counter->name)), CIM_STRING, 1);
    uint64_t value = counter->value;
    addProperty(instance, L"Value", newCIMValue(CIM_UINT64, &value), CIM_UINT64, 0);
    return instance;
}

/* The text of a string property (or key) of list; NULL when it has none. */
static const wchar_t *textOf(const CIMPropertyList *list, const wchar_t *name) {
    CIMProperty *property = findCIMProperty(list, name);
    CIMValue *value = property ? propertyGetValue(property) : NULL;
    if (!value || isCIMValueNull(value) || getCIMValueType(value) != CIM_STRING) return NULL;
    return getCIMStringBuffer(value->data.string);
}

/* The counter the path names, or NULL; under the lock. */
static Counter *find(Counters *counters, const CIMObjectPath *path) {
    const wchar_t *name = textOf(getObjectPathKeys(path), L"Name");
    for (size_t i = 0; name && i < counters->count; ++i)
        if (wcscmp(counters->items[i].name, name) == 0) return &counters->items[i];
    return NULL;
}

static int notFound(CIMXMLProviderResults *results) {
    results->message(results, "no such counter");
    return 6; /* CIM_ERR_NOT_FOUND */
}

static int start(const CIMXMLProviderBroker *broker, void **self) {
    Counters *counters = calloc(1, sizeof *counters);
    if (!counters) return 1;
    counters->broker = broker;
    pthread_mutex_init(&counters->lock, NULL);
    broker->log(broker, 2, "counters ready");
    *self = counters;
    return 0;
}

static void stop(void *self) {
    Counters *counters = self;
    for (size_t i = 0; i < counters->count; ++i) free(counters->items[i].name);
    pthread_mutex_destroy(&counters->lock);
    free(counters);
}

static int enumerateInstances(void *self, const CIMXMLProviderCall *call, CIMXMLProviderResults *results) {
    (void)call;
    Counters *counters = self;
    pthread_mutex_lock(&counters->lock);
    for (size_t i = 0; i < counters->count; ++i)
        if (results->instance(results, counterInstance(&counters->items[i]))) break;
    pthread_mutex_unlock(&counters->lock);
    return 0;
}

static int getInstance(void *self, const CIMXMLProviderCall *call, const CIMObjectPath *path,
                       CIMXMLProviderResults *results) {
    (void)call;
    Counters *counters = self;
    pthread_mutex_lock(&counters->lock);
    Counter *counter = find(counters, path);
    if (counter) results->instance(results, counterInstance(counter));
    pthread_mutex_unlock(&counters->lock);
    return counter ? 0 : notFound(results);
}

static int createInstance(void *self, const CIMXMLProviderCall *call, const CIMInstance *instance,
                          CIMXMLProviderResults *results) {
    (void)call;
    Counters *counters = self;
    const wchar_t *name = textOf(getInstanceProperties(instance), L"Name");
    if (!name || !*name) {
        results->message(results, "a counter needs a Name");
        return 4; /* CIM_ERR_INVALID_PARAMETER */
    }
    CIMProperty *given = findCIMProperty(getInstanceProperties(instance), L"Value");
    CIMValue *value = given ? propertyGetValue(given) : NULL;
    int status = 0;
    pthread_mutex_lock(&counters->lock);
    for (size_t i = 0; i < counters->count && status == 0; ++i)
        if (wcscmp(counters->items[i].name, name) == 0) status = 11; /* CIM_ERR_ALREADY_EXISTS */
    if (status == 0 && counters->count == MAX_COUNTERS) status = 1;
    if (status == 0) {
        Counter *counter = &counters->items[counters->count++];
        counter->name = wcsdup(name);
        counter->value = value && !isCIMValueNull(value) && getCIMValueType(value) == CIM_UINT64 ? value->data.u64 : 0;
    }
    pthread_mutex_unlock(&counters->lock);
    if (status != 0) {
        results->message(results, status == 11 ? "that counter exists" : "too many counters");
        return status;
    }
    CIMObjectPath *path = newObjectPathWithName(newCIMString(L"Example_Counter"));
    freeReturnCode(objectPathAddKey(path, newPropertyKey(newCIMString(L"Name"), NULL,
                                                         newCIMValue(CIM_STRING, newCIMString(name)))));
    results->path(results, path);
    return 0;
}

static int modifyInstance(void *self, const CIMXMLProviderCall *call, const CIMObjectPath *path,
                          const CIMInstance *instance, CIMXMLProviderResults *results) {
    Counters *counters = self;
    int wanted = call->properties == NULL;
    for (const char *const *name = call->properties; name && *name; ++name)
        if (local_strcasecmp(*name, "Value") == 0) wanted = 1;
    CIMProperty *given = findCIMProperty(getInstanceProperties(instance), L"Value");
    CIMValue *value = given ? propertyGetValue(given) : NULL;
    pthread_mutex_lock(&counters->lock);
    Counter *counter = find(counters, path);
    if (counter && wanted)
        counter->value = value && !isCIMValueNull(value) && getCIMValueType(value) == CIM_UINT64 ? value->data.u64 : 0;
    pthread_mutex_unlock(&counters->lock);
    if (!counter) results->message(results, "no such counter");
    return counter ? 0 : 6;
}

static int deleteInstance(void *self, const CIMXMLProviderCall *call, const CIMObjectPath *path,
                          CIMXMLProviderResults *results) {
    (void)call;
    Counters *counters = self;
    pthread_mutex_lock(&counters->lock);
    Counter *counter = find(counters, path);
    if (counter) {
        free(counter->name);
        *counter = counters->items[--counters->count];
    }
    pthread_mutex_unlock(&counters->lock);
    if (!counter) results->message(results, "no such counter");
    return counter ? 0 : 6;
}

/* A CIM_AlertIndication that counter reached value. */
static void alert(Counters *counters, const char *nameSpace, const wchar_t *name, uint64_t value) {
    wchar_t text[256];
    swprintf(text, 256, L"counter %ls reached %llu", name, (unsigned long long)value);
    CIMInstance *indication = newInstance(newCIMString(L"CIM_AlertIndication"), NULL, NULL);
    addProperty(indication, L"Description", newCIMValue(CIM_STRING, newCIMString(text)), CIM_STRING, 0);
    uint16_t other = 1, information = 2;
    addProperty(indication, L"AlertType", newCIMValue(CIM_UINT16, &other), CIM_UINT16, 0);
    addProperty(indication, L"PerceivedSeverity", newCIMValue(CIM_UINT16, &information), CIM_UINT16, 0);
    counters->broker->deliverIndication(counters->broker, nameSpace, indication);
}

static int invokeMethod(void *self, const CIMXMLProviderCall *call, const CIMObjectPath *target,
                        const CIMMethod *method, const CIMPropertyList *in, CIMXMLProviderResults *results) {
    Counters *counters = self;
    if (wcscasecmp(getCIMStringBuffer(getMethodName(method)), L"Increment") != 0) return 17; /* METHOD_NOT_FOUND */
    CIMProperty *by = findCIMProperty(in, L"By");
    CIMValue *step = by ? propertyGetValue(by) : NULL;
    uint64_t add = step && !isCIMValueNull(step) && getCIMValueType(step) == CIM_UINT64 ? step->data.u64 : 1;
    pthread_mutex_lock(&counters->lock);
    Counter *counter = find(counters, target);
    uint64_t before = counter ? counter->value : 0, after = before + add;
    wchar_t *name = counter ? wcsdup(counter->name) : NULL;
    if (counter) counter->value = after;
    pthread_mutex_unlock(&counters->lock);
    if (!counter) return notFound(results);
    results->value(results, NULL, newCIMValue(CIM_UINT64, &after));
    if (after / 100 > before / 100) alert(counters, call->nameSpace, name, after);
    free(name);
    return 0;
}

static const CIMXMLProvider table = {
    .version = CIMXML_PROVIDER_VERSION,
    .start = start,
    .stop = stop,
    .enumerateInstances = enumerateInstances,
    .getInstance = getInstance,
    .createInstance = createInstance,
    .modifyInstance = modifyInstance,
    .deleteInstance = deleteInstance,
    .invokeMethod = invokeMethod,
};

const CIMXMLProvider *cimxml_provider_table(void) { return &table; }
