/* list_classes.c - a tiny client on the installed CIM-XML client library:
 * asks a WBEM server for the class names of one namespace and prints them.
 *
 *   list-classes [HOST [PORT [NAMESPACE]]]   (127.0.0.1 5988 root/cimv2)
 *
 * The library encodes the request and decodes the answer; the HTTP exchange
 * is a plain socket here: HTTP/1.0, so that the server answers in one piece
 * and closes the connection at its end. Exits 0 with the names printed, 1
 * with a message on stderr when the server cannot be reached or answers
 * with an error. */
#include <cimxml/cimxml_client.h>
#include <gc.h>

#include <netdb.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/socket.h>
#include <unistd.h>

/* Connects to host:port; -1 on failure (reason printed). */
static int connect_to(const char *host, const char *port) {
    struct addrinfo hints = {0}, *found = NULL;
    hints.ai_socktype = SOCK_STREAM;
    int rc = getaddrinfo(host, port, &hints, &found);
    if (rc != 0) {
        fprintf(stderr, "list-classes: %s: %s\n", host, gai_strerror(rc));
        return -1;
    }
    int fd = -1;
    for (struct addrinfo *a = found; a != NULL && fd < 0; a = a->ai_next) {
        fd = socket(a->ai_family, a->ai_socktype, a->ai_protocol);
        if (fd >= 0 && connect(fd, a->ai_addr, a->ai_addrlen) != 0) {
            close(fd);
            fd = -1;
        }
    }
    freeaddrinfo(found);
    if (fd < 0) perror("list-classes: connect");
    return fd;
}

/* Sends request and returns the whole answer (malloc'd, NUL-terminated), or NULL. */
static char *exchange(int fd, const char *request) {
    size_t length = strlen(request);
    for (size_t sent = 0; sent < length;) {
        ssize_t n = write(fd, request + sent, length - sent);
        if (n <= 0) return NULL;
        sent += (size_t)n;
    }
    size_t size = 0, capacity = 65536;
    char *answer = malloc(capacity);
    for (ssize_t n; answer != NULL && (n = read(fd, answer + size, capacity - size - 1)) > 0;) {
        size += (size_t)n;
        if (capacity - size < 2) answer = realloc(answer, capacity *= 2);
    }
    if (answer != NULL) answer[size] = '\0';
    return answer;
}

int main(int argc, char **argv) {
    const char *host = argc > 1 ? argv[1] : "127.0.0.1";
    const char *port = argc > 2 ? argv[2] : "5988";
    const char *nameSpace = argc > 3 ? argv[3] : "root/cimv2";
    GC_INIT();

    CIMObjectPath *target = newObjectPathWithName(NULL);
    setObjectPathNameSpace(target, createCIMStringFromChar(nameSpace));
    char *request = CIMXMLencode_enumerateClassNames(target, 1, 0);
    freeCIMObjectPath(target);
    if (request == NULL) return 1;
    /* The encoder writes its own request line; this server answers at
     * /cimom, and HTTP/1.0 gets the answer in one piece. */
    const char *rest = strstr(request, "\r\n");
    if (rest == NULL) return 1;
    size_t length = strlen("POST /cimom HTTP/1.0") + strlen(rest) + 1;
    char *posted = malloc(length);
    if (posted == NULL) return 1;
    snprintf(posted, length, "POST /cimom HTTP/1.0%s", rest);

    int fd = connect_to(host, port);
    if (fd < 0) return 1;
    char *answer = exchange(fd, posted);
    close(fd);
    free(posted);
    if (answer == NULL) {
        fprintf(stderr, "list-classes: no answer from %s:%s\n", host, port);
        return 1;
    }
    CIMObjectPathList *names = NULL;
    ReturnCode *rc = CIMXMLdecode_enumerateClassNames(answer, &names);
    free(answer);
    int status = getErrorFromRetCode(rc);
    if (status != 0) {
        char *why = createCharFromCIMString(getReturnCodeDescription(rc));
        fprintf(stderr, "list-classes: CIM status %d: %s\n", status, why ? why : "");
        freeReturnCode(rc);
        return 1;
    }
    freeReturnCode(rc);
    for (CIMListNode *node = getFirstCIMObjectPath(names); node != NULL; node = getNextCIMObjectPath(node)) {
        char *name = createCharFromCIMString(getObjectPathName(getCurrentCIMObjectPath(node)));
        printf("%s\n", name ? name : "");
    }
    freeCIMObjectPathList(names);
    return 0;
}
