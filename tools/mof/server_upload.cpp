// server_upload.cpp - MOF declarations sent to a CIM server.
#include "server_upload.h"

#include <iostream>

#include "server_mof_sink.h"

int uploadMofFiles(const std::string &url, const remote::TransportOptions &transport,
                   const std::optional<std::wstring> &nameSpace, const std::vector<std::string> &files) {
    try {
        remote::CimConnection connection(remote::parseWbemUrl(url), transport, std::cerr);
        std::wstring target = nameSpace.value_or(cimobj::fromUtf8(connection.url().nameSpace));
        int status = 0;
        for (const std::string &file : files) {
            remote::ServerMofSink sink(connection, {});
            try {
                remote::compileToServer(sink, std::nullopt, file, target);
            } catch (const remote::ClientError &error) {
                if (error.status() >= remote::exitUsage && error.status() != remote::exitBadInput &&
                    error.status() != remote::exitNoInput)
                    throw;
                std::cerr << error.what() << "\n";
                status = 1;
            }
        }
        return status;
    } catch (const remote::ClientError &error) {
        std::cerr << "cimxml-mof: " << error.what() << "\n";
        return error.status();
    }
}
