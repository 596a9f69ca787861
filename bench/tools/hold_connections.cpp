// hold_connections - opens N keep-alive connections to a server on
// 127.0.0.1:PORT and holds them idle until its standard input closes: one
// in ten first posts REQUEST (a file holding a whole HTTP request) and reads
// its answer, the others never send a byte. Prints "held N" once they are
// all open. For bench/frontend_figures.sh: an idle connection's cost.
//
//   hold_connections PORT N [REQUEST]
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

int main(int argc, char **argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: hold_connections PORT N [REQUEST]\n");
        return 64;
    }
    int port = std::atoi(argv[1]);
    int count = std::atoi(argv[2]);
    std::string request;
    if (argc > 3) {
        std::ostringstream text;
        text << std::ifstream(argv[3]).rdbuf();
        request = text.str();
    }
    rlimit limit{};
    getrlimit(RLIMIT_NOFILE, &limit);
    limit.rlim_cur = limit.rlim_max;
    setrlimit(RLIMIT_NOFILE, &limit);
    std::vector<int> held;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    for (int i = 0; i < count; ++i) {
        int fd = socket(AF_INET, SOCK_STREAM, 0);
        if (fd < 0 || connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0) {
            std::fprintf(stderr, "hold_connections: connection %d failed\n", i);
            return 1;
        }
        if (!request.empty() && i % 10 == 0) {
            if (send(fd, request.data(), request.size(), 0) != static_cast<ssize_t>(request.size())) return 1;
            char answer[65536];
            if (recv(fd, answer, sizeof answer, 0) <= 0) {
                std::fprintf(stderr, "hold_connections: no answer on connection %d\n", i);
                return 1;
            }
        }
        held.push_back(fd);
    }
    std::printf("held %d\n", count);
    std::fflush(stdout);
    char byte;
    while (read(0, &byte, 1) > 0) {
    }
    return 0;
}
