// batched_results.cpp - the results go into the IRETURNVALUE of an answer
// written as usual: a result source writes each batch as it comes, and
// every entry's flush hands the answer on once enough of it is there.
#include "cimxml/operations/batched_results.h"

#include <string>

#include "cimxml/answer_in_pieces.h"
#include "cimxml_common/memory.h"
#include "cimxml_common/status_codes.h"
#include "cimxml_schema/response_body.h"

namespace cimxml_ops {

namespace {

class batch_writer final : public result_source {
public:
    explicit batch_writer(const batch_call &call) : call_(call) {}

    void write(xml_sink &out, const char *method) override {
        out_ = &out;
        method_ = method;
        status_.reset(call_(deliver, this));
    }
    // The status the host returned; NULL when it was not called or had no memory.
    ReturnCode *status() const { return status_.get(); }
    bool called() const { return out_ != nullptr; }

private:
    static int deliver(void *context, CIMList *batch) {
        auto *self = static_cast<batch_writer *>(context);
        ListOwner owned(batch);
        write_result_entries(*self->out_, self->method_, batch);
        return cimxml_answering_in_pieces() ? 0 : 1;
    }

    const batch_call &call_;
    xml_sink *out_ = nullptr;
    const char *method_ = nullptr;
    StatusOwner status_;
};

// Takes the result source back however the answer ends.
struct source_scope {
    explicit source_scope(result_source *source) { set_result_source(source); }
    ~source_scope() { set_result_source(nullptr); }
};

}  // namespace

const CIMXMLHostExtensions *batch_extensions() {
    return cimxml_answering_in_pieces() ? cimxml_host_extensions() : nullptr;
}

int write_batched_response(PoolString *pool, const MessageData *msgData, const ResponseTexts &texts,
                           const batch_call &call) {
    batch_writer writer(call);
    int written;
    {
        source_scope scope(&writer);
        written = write_intrinsic_response(pool, msgData, texts, nullptr, false, nullptr, nullptr);
    }
    const ReturnCode *status = writer.status();
    if (!writer.called() || (status != nullptr && status->rc == 0)) return written;
    StatusOwner substitute;
    if (status == nullptr) {
        substitute.reset(newReturnCode(CIM_ERR_FAILED, L"Requested operation failed."));
        status = substitute.get();
        if (status == nullptr) return fail_operation((std::string(texts.function) + " - failed.").c_str());
    }
    char *description = createCharFromCIMString(status->description);
    bool whole = cimxml_pieces_failed(pool, status->rc, description);
    cimxml_free(description, CIMXML_ATOMIC);
    return whole ? write_intrinsic_response(pool, msgData, texts, status, true, nullptr, nullptr) : 1;
}

}  // namespace cimxml_ops
