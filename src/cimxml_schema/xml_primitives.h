// xml_primitives.h - tags, attributes, escaped text and the message envelope.
// Every function returns a new fragment (NUL-terminated text from
// cimxml_malloc, kind 2) that the receiver owns and releases with
// cimxml_free, or NULL on failure.
#pragma once

// The XML declaration, the CIM start tag and the MESSAGE start tag with the
// id (a fresh id from get_message_id when messageId is NULL), each ending in
// a line feed.
char *message_head_toxml(const char *messageId);
// The MESSAGE and CIM end tags, each ending in a line feed.
char *message_tail_toxml();
