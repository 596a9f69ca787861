/* generated_provider.c - a library provider for bench/provider_figures.sh:
 * EnumerateInstances of Bench_Generated answers CIMXML_BENCH_INSTANCES
 * (default 100000) small instances made on the fly, as the repository
 * holds them in the script's comparison. Never part of the tests. */
#include <cimxml/provider.h>

#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <wchar.h>

static unsigned long count = 100000;

static int start(const CIMXMLProviderBroker *broker, void **self) {
    (void)broker;
    const char *wanted = getenv("CIMXML_BENCH_INSTANCES");
    if (wanted) count = strtoul(wanted, NULL, 10);
    *self = NULL;
    return 0;
}

static void add(CIMInstance *instance, const wchar_t *name, CIMValue *value, int type, int key) {
    CIMProperty *property = newProperty(newCIMString(name), NULL, value, type, NULL, 0);
    property->isKey = key;
    freeReturnCode(instanceAddProperty(instance, property));
}

static int enumerateInstances(void *self, const CIMXMLProviderCall *call, CIMXMLProviderResults *results) {
    (void)self, (void)call;
    for (unsigned long i = 0; i < count; ++i) {
        wchar_t name[32];
        swprintf(name, 32, L"item-%lu", i);
        CIMInstance *instance = newInstance(newCIMString(L"Bench_Generated"), NULL, NULL);
        add(instance, L"Name", newCIMValue(CIM_STRING, newCIMString(name)), CIM_STRING, 1);
        uint32_t value = (uint32_t)i;
        add(instance, L"Value", newCIMValue(CIM_UINT32, &value), CIM_UINT32, 0);
        add(instance, L"Text", newCIMValue(CIM_STRING, newCIMString(L"generated")), CIM_STRING, 0);
        if (results->instance(results, instance)) break;
    }
    return 0;
}

static const CIMXMLProvider table = {
    .version = CIMXML_PROVIDER_VERSION, .start = start, .enumerateInstances = enumerateInstances};

const CIMXMLProvider *cimxml_provider_table(void) { return &table; }
