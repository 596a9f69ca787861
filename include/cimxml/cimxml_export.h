/* cimxml_export.h - the mark on every function a library of this project
 * exports (all else is hidden). */
#ifndef CIMXML_CIMXML_EXPORT_H
#define CIMXML_CIMXML_EXPORT_H

#if defined(__GNUC__)
#define CIMXML_EXPORT __attribute__((visibility("default")))
#else
#define CIMXML_EXPORT
#endif

#endif
