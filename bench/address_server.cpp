// Answers every GET with a fixed address, at once, on the given address and
// port, and stops by itself after the given number of seconds.
#include <httplib.h>

#include <chrono>
#include <cstdlib>
#include <iostream>
#include <thread>

int main(int argc, char* argv[]) {
    const std::string host = argc > 1 ? argv[1] : "127.0.0.1";
    const int port = argc > 2 ? std::atoi(argv[2]) : 80;
    const int lifetime = argc > 3 ? std::atoi(argv[3]) : 300;
    httplib::Server server;
    server.Get(".*", [](const httplib::Request&, httplib::Response& res) {
        res.set_content("203.0.113.77", "text/plain");
    });
    std::thread stopper([&] {
        std::this_thread::sleep_for(std::chrono::seconds(lifetime));
        server.stop();
    });
    stopper.detach();
    if (!server.listen(host, port)) {
        std::cerr << "cannot listen on " << host << ':' << port << '\n';
        return 1;
    }
    return 0;
}
