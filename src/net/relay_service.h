// The central server's datagram service. Clients cannot learn each other's public addresses on
// their own; this service learns them from the clients' own texts and puts clients in touch:
//
//   "x" + account(9)                 the source address and port become the account's lastip
//                                    and lastport in zsv_quser; when the account had another
//                                    live address, "v" goes there first (logged in elsewhere)
//   "a" + contact(9) + account(9)    both addresses known: each client gets "c" + the other's
//                                    address(15) + port(5) + account(9), to start the handshake
//   "w" + ip(15) + port(5) + payload the payload goes to ip:port as a text of its own
//   "ok 888", anything else          ignored
//
// It listens on the settings row's Port_server and on the default endpoint's port 9876, logs
// one line per event, and works with the central database through CentralDb, so it runs on
// every engine the client runs on. Malformed texts are logged and dropped. The database is opened
// for each text without the client's retries and end of the process, so an unreachable moment
// costs the text at hand, not the service.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "net/udp_socket.h"
#include "net/wire_text.h"

namespace net {

struct RelayOptions {
    // The central server address (CurrentIp); "": the one the local store keeps, else loopback.
    std::string server_address;
    int port_server = -1;  // < 0: read Port_server from zsv_about
    int default_port = 9876;
    std::string bind_ip;  // "" = any interface
};

class RelayService {
  public:
    using Log = std::function<void(const std::string& line)>;

    explicit RelayService(Log log);
    ~RelayService();
    RelayService(const RelayService&) = delete;
    RelayService& operator=(const RelayService&) = delete;

    // Reads the settings and binds the sockets; false (with a logged reason) when it cannot.
    bool Start(const RelayOptions& options);
    // Serves until Stop() is called. A failure in the handling of one text (an exception from
    // the database engine) is logged and the service goes on with the next text.
    void Run();
    // Makes Run() return; safe from a signal handler.
    void Stop();
    // The file descriptor that Stop() writes to, for a signal handler of its own.
    int StopFd() const { return stop_write_.get(); }

    std::vector<std::uint16_t> Ports() const;
    // One received text, answered from `socket`.
    void Handle(const WireText& text, const Address& source, const UdpSocket& socket);

  private:
    void Register(const WireText& text, const Address& source, const UdpSocket& socket);
    void Connect(const WireText& text, const UdpSocket& socket);
    void Forward(const WireText& text, const Address& source, const UdpSocket& socket);
    // The account's stored address, when it has a usable one (the central database open).
    std::optional<Address> StoredAddress(const std::string& account);

    Log log_;
    std::vector<UdpSocket> sockets_;
    FileHandle stop_read_;
    FileHandle stop_write_;
};

}  // namespace net
