// conformance_dtd.h - validating answer bodies against a DTD the user gives
// (the DMTF DTD, which the project never copies), with libxml2.
#pragma once

#include <memory>
#include <string>

namespace conformance {

class DtdValidator {
public:
    // Reads the DTD in file. Throws ClientError(exitNoInput) with the file
    // name when it cannot be read or is no DTD.
    explicit DtdValidator(const std::string &file);
    ~DtdValidator();
    DtdValidator(const DtdValidator &) = delete;
    DtdValidator &operator=(const DtdValidator &) = delete;

    // Empty when body is a document valid against the DTD; otherwise the
    // first of libxml2's complaints, one line ("not well-formed: ...",
    // "Element IMETHODRESPONSE content does not follow the DTD, ...", "and 2
    // more" when there are several). Never loads anything from the network
    // or the disk for body, whatever it declares.
    std::string problems(const std::string &body) const;

private:
    struct Dtd;
    std::unique_ptr<Dtd> dtd_;
};

}  // namespace conformance
