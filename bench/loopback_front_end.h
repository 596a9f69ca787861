// loopback_front_end.h - cimxmld's front end in the benchmark's own process
// on a free loopback port, set up as the program sets itself up by default
// on this machine, in front of the given service, until destroyed.
#pragma once

#include <memory>
#include <stdexcept>
#include <string>
#include <thread>

#include "front_end.h"
#include "listen_sockets.h"
#include "options.h"

class LoopbackFrontEnd {
public:
    // service and metrics must outlive this. Throws std::runtime_error when
    // no port can be bound.
    LoopbackFrontEnd(cimxmld::CimomService &service, cimxmld::Metrics &metrics) {
        cimxmld::ServerOptions defaults;
        cimxmld::FrontEndSettings settings;
        settings.ioThreads = defaults.socketThreads();
        settings.workers = defaults.workerThreads();
        settings.writeTimeout = std::chrono::seconds(120);
        frontEnd_ = std::make_unique<cimxmld::FrontEnd>(service, metrics, settings);
        std::string error;
        int socket = cimxmld::openListeningSocket("127.0.0.1", 0, port_, error);
        if (socket < 0 || !frontEnd_->addListener(socket, nullptr, error)) throw std::runtime_error(error);
        thread_ = std::thread([this] { frontEnd_->run(); });
    }
    ~LoopbackFrontEnd() {
        frontEnd_->stop();
        thread_.join();
    }
    int port() const { return port_; }

private:
    std::unique_ptr<cimxmld::FrontEnd> frontEnd_;
    int port_ = 0;
    std::thread thread_;
};
