/* system_ip.h - the address of the machine the server runs on. */
#ifndef UTILS_SYSTEM_IP_H
#define UTILS_SYSTEM_IP_H

#ifdef __cplusplus
extern "C" {
#endif

/* The machine's first non-loopback IPv4 address in dotted form, as new text
 * from the collected heap (free with GC_free or leave it to the collector);
 * NULL when there is none. */
char *get_system_ip(void);

#ifdef __cplusplus
}
#endif

#endif
