// response_body.h - SIMPLERSP, IMETHODRESPONSE, METHODRESPONSE, ERROR,
// IRETURNVALUE, RETURNVALUE, SIMPLEEXPRSP and EXPMETHODRESPONSE.
//
// The message encoders write straight into the response pool through one
// sink and return 1 on success, 0 on failure (what was written before the
// failure stays in the pool). All arguments stay the caller's.
#pragma once

#include <cimobj/cimobj.h>
#include <utils/pool_string.h>

#include "cimxml_common/xml_sink.h"

// Writes the IRETURNVALUE entries of a method in place of a results list:
// for an operation that reads its results in batches while the answer is
// written. write calls write_results for each batch.
struct result_source {
    virtual void write(xml_sink &out, const char *method) = 0;

protected:
    ~result_source() = default;
};
// Makes source the calling thread's until it is set again (NULL: none); an
// IRETURNVALUE written meanwhile takes its entries from it.
void set_result_source(result_source *source);
// Makes parameters the calling thread's output parameters until set again
// (NULL: none): a successful IMETHODRESPONSE written meanwhile carries them
// as PARAMVALUE after its IRETURNVALUE (the pull operations' EndOfSequence
// and EnumerationContext). Lent.
void set_output_parameters(const CIMPropertyList *parameters);
// Writes the entries of results as IRETURNVALUE holds them for method,
// flushing the sink after each.
void write_result_entries(xml_sink &out, const char *method, const CIMList *results);

// SIMPLERSP holding IMETHODRESPONSE (intrinsic nonzero; results and
// qualifierDeclarations passed on) or METHODRESPONSE (returnValue, and
// results as the output parameter list).
int cim_simplersp_toxml(const CIMString *methodName, const CIMProperty *returnValue, const CIMList *results,
                        const CIMQualifierTypeList *qualifierDeclarations, const ReturnCode *error,
                        int intrinsic, PoolString *pool);

// IMETHODRESPONSE NAME=method holding the ERROR of error (status 0 is
// written as 1 "Requested operation failed.") or, without error, the
// IRETURNVALUE of the results.
int cim_imethodresponse_toxml(const CIMString *methodName, const CIMList *results,
                              const CIMQualifierTypeList *qualifierDeclarations, const ReturnCode *error,
                              PoolString *pool);

// METHODRESPONSE NAME=method holding the ERROR or, without error, the
// RETURNVALUE (when there is one) and the output parameters as PARAMVALUE.
int cim_methodresponse_toxml(const CIMString *methodName, const CIMProperty *returnValue,
                             const CIMPropertyList *outputParameters, const ReturnCode *error, PoolString *pool);

// SIMPLEEXPRSP holding EXPMETHODRESPONSE NAME=method, which holds the ERROR
// or the IRETURNVALUE. unused is not looked at.
int cim_simpleexprsp_toxml(const CIMString *methodName, const CIMList *results,
                           const CIMQualifierTypeList *qualifierDeclarations, const ReturnCode *error,
                           const void *unused, PoolString *pool);

// SIMPLERSP and SIMPLEEXPRSP written into a sink, for a writer that owns one
// (a response streamed to its host); the same results and messages.
int write_simplersp(xml_sink &out, const CIMString *methodName, const CIMProperty *returnValue,
                    const CIMList *results, const CIMQualifierTypeList *qualifierDeclarations,
                    const ReturnCode *error, int intrinsic);
int write_simpleexprsp(xml_sink &out, const CIMString *methodName, const CIMList *results,
                       const CIMQualifierTypeList *qualifierDeclarations, const ReturnCode *error);

// IRETURNVALUE with one element per result entry, chosen by the method name
// (entries that are absent or cannot be encoded are skipped), or per
// qualifier declaration for "EnumerateQualifiers" and "GetQualifier". The
// pool is first asked to grow for the number of entries. Each entry is
// flushed from the sink as soon as it is written.
int cim_ireturnvalue_toxml(const CIMString *methodName, const CIMList *results,
                           const CIMQualifierTypeList *qualifierDeclarations, PoolString *pool);

// RETURNVALUE with EmbeddedObject (embedded objects) and PARAMTYPE, holding
// VALUE.REFERENCE, the CDATA form of VALUE or VALUE (nothing for arrays). A
// new fragment, or NULL for a NULL return value or no memory.
char *cim_returnvalue_toxml(const CIMProperty *returnValue);
