// command_support.h - what the command runners share: checking the URL's
// object, the operation's parameters as the client library takes them, and
// sending MOF input.
#pragma once

#include <string>

#include <cimobj/cimobj.hpp>
#include <cimxml/cimxml_client.h>

#include "commands.h"
#include "server_mof_sink.h"

namespace cli {

// Throw ClientError(exitUsage) ("get-instance needs an instance in the URL:
// http://host/namespace:Class.Key=value") unless the URL names that.
void requireClass(const CommandContext &c);
void requireInstance(const CommandContext &c);
void requireClassOrInstance(const CommandContext &c);

// The URL's path (namespace, class, keys), lent.
const CIMObjectPath *target(const CommandContext &c);

// --property-list as a string list; NULL when not given.
cimobj::ListPtr propertyList(const CommandContext &c);
// An optional text as a string; NULL when not given.
cimobj::StringPtr optionalString(const std::optional<std::string> &text);
cimobj::StringPtr wide(const std::string &text);

// A copy of path with the URL's namespace when it has none (for output);
// NULL for NULL.
cimobj::PathPtr inUrlNamespace(const CommandContext &c, const CIMObjectPath *path);

// Sink options accepting kinds (ServerMofSink::Kind bits), refusing others
// with refusalText; modify selects the Modify operations.
remote::ServerMofSink::Options sinkOptions(unsigned kinds, const char *refusalText, bool modify = false);

// Compiles the command's MOF input (--mof TEXT, else the one FILE argument,
// "-" for standard input) into a sink with options, created paths going to
// the writer. Throws ClientError (see compileToServer); exitUsage when no
// input or both are given.
void sendMofInput(CommandContext &c, remote::ServerMofSink::Options options);

// Writes one item of the kind (CIMLIST_INSTANCE, CIMLIST_CLASS,
// CIMLIST_OBJECTPATH, CIMLIST_QUALIFIERTYPE; item lent) to the writer:
// instances and instance paths in the URL's namespace when they have none.
void writeItem(CommandContext &c, int kind, const void *item);
// Writes every item of a list the decoders give to the writer.
void writeList(CommandContext &c, const CIMList *list);

// Sends request (an encoder's text, freed here) and writes each result of
// the answer as soon as it is decoded, the body going to the writer as it
// arrives; memory holds one result at a time. Throws as
// CimConnection::readList does, after the results before the failure were
// written.
void readResults(CommandContext &c, char *request, const char *operation, CIMXMLListOperation list);

}  // namespace cli
