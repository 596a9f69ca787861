// A shared library of the module is the whole static module library linked
// into one object; what it exports is what its version script lists, among
// the functions the public headers mark with CIMXML_EXPORT. Everything else
// stays hidden.
