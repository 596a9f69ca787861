// answer_in_pieces.h - the strict profile's answers in pieces: while a host
// has the module answer through its sink, an operation that makes a large
// answer hands the response pool's text over between batches and starts
// the pool again, so that neither the pool nor the results grow with the
// answer. Everything here is per thread.
#pragma once

#include <cimxml/cimxml_host.h>
#include <utils/pool_string.h>

#include <cstddef>
#include <string>

// The host's extensions when it registered them (strict profile), else NULL.
const CIMXMLHostExtensions *cimxml_host_extensions();

// True while the calling thread answers in pieces and the host still takes them.
bool cimxml_answering_in_pieces();

// Pieces are handed over once the pool holds at least this many bytes.
constexpr std::size_t cimxml_piece_bytes = 64 * 1024;
// Results are asked for in batches of this many.
constexpr std::size_t cimxml_batch_size = 64;

// Hands what the pool holds to the host when answering in pieces and it
// holds at least minBytes (the header lines first, once), and empties the
// pool. Returns false when the host can take no more: the operation should
// stop asking for results.
bool cimxml_give_pieces(PoolString *pool, std::size_t minBytes = cimxml_piece_bytes);

// An operation failed after pieces may have been handed over. Returns true
// when the answer can still be written whole (nothing was handed over, or
// the host forgot it): write the error response as usual. false when the
// failure goes to the host with the end of the answer (its trailers): the
// pool is emptied and whatever is written into it afterwards is not sent.
bool cimxml_pieces_failed(PoolString *pool, int status, const char *description);
