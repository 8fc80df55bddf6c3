// The client's one UDP socket and its receive thread. The socket is bound to any interface; the
// receive thread waits for datagrams, posts an owned copy of every text to the user-interface
// thread, and answers the link texts itself (link_probe.h). Sending is open to both threads: a
// datagram socket takes concurrent sends.
//
// The thread is stopped and joined when the endpoint is closed or destroyed, so it never runs
// on into objects that are gone at the end of the process.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <thread>

#include "net/address.h"
#include "net/contact_table.h"
#include "net/udp_socket.h"
#include "net/wire_text.h"

namespace net {

// Runs on the user-interface thread for each received text, in arrival order.
using DatagramHandler = std::function<void(const WireText&)>;

class UdpEndpoint {
  public:
    UdpEndpoint() = default;
    ~UdpEndpoint() { Close(); }
    UdpEndpoint(const UdpEndpoint&) = delete;
    UdpEndpoint& operator=(const UdpEndpoint&) = delete;

    // Creates the socket and binds it to any interface at `port`, or at `port` + 1 when that
    // fails. Without a socket the person is told ("Socket Stack Error!" when the system gives
    // no means to run the receive thread, "创建套接字失败!" when it gives no socket) and the
    // result is false; when both binds fail, "连接初始化失败!" and the process ends with -1.
    bool Open(int port);
    // Starts the receive thread on the open socket; false when it is not open or already runs.
    bool StartReceiving(std::string own_account, Contacts& table, DatagramHandler handler);
    // Stops the receive thread, then closes the socket.
    void Close();

    bool IsOpen() const { return socket_.valid(); }
    bool IsReceiving() const { return thread_.joinable(); }
    int fd() const { return socket_.fd(); }
    std::uint16_t LocalPort() const { return socket_.LocalPort(); }
    // The bytes plus NUL in one datagram; nothing happens without a socket.
    void Send(std::string_view bytes, const Address& to) const { socket_.SendText(bytes, to); }

  private:
    void StopThread();
    void ReceiveLoop(const std::string& own_account, Contacts& table,
                     const std::shared_ptr<const DatagramHandler>& handler) const;

    UdpSocket socket_;
    FileHandle wake_read_;
    FileHandle wake_write_;
    std::thread thread_;
};

// The endpoint of the process.
UdpEndpoint& ProcessEndpoint();
// Opens the process endpoint at the local port 0 (the system picks a free one) and records the
// socket in SessionContext.udpSocket.
void StartUdpEndpoint();
// Starts the process endpoint's receive thread for the logged-in account and ContactTable.
void StartReceiveThread(DatagramHandler handler);
// Stops the receive thread and closes the socket (end of the run, and between tests).
void StopUdpEndpoint();
// One UTF-8 text as GBK plus NUL in one datagram from the process socket. Callable from any
// thread; failures are silent.
void SendDatagram(std::string_view utf8, const Address& to);

}  // namespace net
