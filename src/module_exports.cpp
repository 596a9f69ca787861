// The shared module is the whole static module library linked into one
// object; the functions it exports are the ones include/cimxml/cimxml.h marks
// with CIMXML_EXPORT. Everything else stays hidden.
