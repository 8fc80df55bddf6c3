#include "net/relay_service.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <exception>

#include "common/text.h"
#include "db/cadoex.h"
#include "db/stores.h"
#include "session/session_context.h"

namespace net {

namespace {

bool IsAccount(const std::string& text) {
    return common::IsDigits(text) && text.size() <= 9;
}

std::string Describe(const Address& address) {
    return address.ip + ":" + address.PortText();
}

// A received text for the log: as UTF-8, one line, cut to a readable length.
std::string Quote(const WireText& text) {
    std::string shown = text.Utf8();
    if (shown.size() > 80) {
        shown = shown.substr(0, 80) + "...";
    }
    for (char& c : shown) {
        if (c == '\r' || c == '\n' || c == '\t') {
            c = ' ';
        }
    }
    return "\"" + shown + "\"";
}

std::string LinkText(const Address& address, const std::string& account) {
    return "c" + PadRight(address.ip, 15) + PadRight(address.PortText(), 5) + PadRight(account, 9);
}

}  // namespace

RelayService::RelayService(Log log) : log_(std::move(log)) {
    std::array<int, 2> fds{-1, -1};
    if (::pipe2(fds.data(), O_CLOEXEC | O_NONBLOCK) == 0) {
        stop_read_ = FileHandle(fds[0]);
        stop_write_ = FileHandle(fds[1]);
    }
}

RelayService::~RelayService() = default;

bool RelayService::Start(const RelayOptions& options) {
    if (!stop_read_.valid()) {
        log_("cannot start: no pipe for the stop signal");
        return false;
    }
    SessionContext.CurrentIp = options.server_address;
    if (SessionContext.CurrentIp.empty()) {
        SessionContext.CurrentIp = db::StoredServerAddress();
    }
    if (SessionContext.CurrentIp.empty()) {
        SessionContext.CurrentIp = "127.0.0.1";
    }
    log_("central database at " + SessionContext.CurrentIp);
    int port_server = options.port_server;
    if (port_server < 0) {
        std::vector<std::string> rows;
        {
            db::ScopedStore central(db::CADOEx::Store::Central);
            if (!central.IsOpen()) {
                log_("cannot start: " + central.Error());
                return false;
            }
            central.Db().QueryColumn("select Port_server from zsv_about where id = 1",
                                     "Port_server", rows);
        }
        if (rows.empty() || !common::IsDigits(common::Trim(rows.front()))) {
            log_("cannot start: the settings row zsv_about (id 1) names no Port_server");
            return false;
        }
        port_server = static_cast<int>(common::ToInt(rows.front()));
    }
    std::vector<int> ports{port_server};
    if (options.default_port != port_server) {
        ports.push_back(options.default_port);
    }
    for (const int port : ports) {
        UdpSocket socket = UdpSocket::Create();
        if (port < 1 || port > 65535 ||
            !socket.Bind(static_cast<std::uint16_t>(port), options.bind_ip)) {
            log_("cannot listen on port " + std::to_string(port));
            sockets_.clear();
            return false;
        }
        sockets_.push_back(std::move(socket));
        log_("listening on " + (options.bind_ip.empty() ? std::string("*") : options.bind_ip) +
             ":" + std::to_string(port));
    }
    return true;
}

std::vector<std::uint16_t> RelayService::Ports() const {
    std::vector<std::uint16_t> ports;
    for (const auto& socket : sockets_) {
        ports.push_back(socket.LocalPort());
    }
    return ports;
}

void RelayService::Stop() {
    const char stop = 1;
    [[maybe_unused]] const ssize_t written = ::write(stop_write_.get(), &stop, 1);
}

void RelayService::Run() {
    std::vector<pollfd> wanted;
    for (const auto& socket : sockets_) {
        wanted.push_back(pollfd{socket.fd(), POLLIN, 0});
    }
    wanted.push_back(pollfd{stop_read_.get(), POLLIN, 0});
    for (;;) {
        for (auto& entry : wanted) {
            entry.revents = 0;
        }
        if (::poll(wanted.data(), wanted.size(), -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            log_("stopped: cannot wait for datagrams");
            return;
        }
        if (wanted.back().revents != 0) {
            log_("stopped");
            return;
        }
        for (std::size_t i = 0; i < sockets_.size(); ++i) {
            if ((wanted[i].revents & POLLIN) == 0) {
                continue;
            }
            if (auto received = sockets_[i].ReceiveReady()) {
                try {
                    Handle(WireText(std::move(received->bytes)), received->source, sockets_[i]);
                } catch (const std::exception& failure) {
                    log_(std::string("dropped a text: ") + failure.what());
                }
            }
        }
    }
}

void RelayService::Handle(const WireText& text, const Address& source, const UdpSocket& socket) {
    if (text.bytes() == "ok 888") {
        log_("ok 888 from " + Describe(source));
    } else if (text.StartsWith("x")) {
        Register(text, source, socket);
    } else if (text.StartsWith("a")) {
        Connect(text, socket);
    } else if (text.StartsWith("w")) {
        Forward(text, source, socket);
    } else {
        log_("ignored " + Quote(text) + " from " + Describe(source));
    }
}

std::optional<Address> RelayService::StoredAddress(const std::string& account) {
    std::vector<std::string> rows;
    CentralDb.QueryRows("select lastip,lastport from zsv_quser where qq = " + account,
                        {"lastip", "lastport"}, rows, db::kSeparator);
    if (rows.empty()) {
        return std::nullopt;
    }
    return ParseAddress(db::RowField(rows.front(), 1), db::RowField(rows.front(), 2));
}

void RelayService::Register(const WireText& text, const Address& source, const UdpSocket& socket) {
    const std::string account = text.Field(1, 9);
    if (!IsAccount(account)) {
        log_("x without an account " + Quote(text) + " from " + Describe(source));
        return;
    }
    db::ScopedStore central(db::CADOEx::Store::Central);
    if (!central.IsOpen()) {
        log_("x " + account + " at " + Describe(source) + ": not recorded, " + central.Error());
        return;
    }
    const auto previous = StoredAddress(account);
    if (previous && *previous != source) {
        socket.SendText("v", *previous);
        log_("v to " + Describe(*previous) + ": " + account + " logged in elsewhere");
    }
    const bool written =
        CentralDb.Execute("update zsv_quser set lastip='" + source.ip + "', lastport='" +
                          source.PortText() + "' where qq = " + account);
    const bool known = written && CentralDb.RowsAffected() > 0;
    log_("x " + account + " at " + Describe(source) +
         (known     ? ""
          : written ? ": no such account"
                    : ": not recorded, database error"));
}

void RelayService::Connect(const WireText& text, const UdpSocket& socket) {
    const std::string contact = text.Field(1, 9);
    const std::string account = text.Field(10, 9);
    if (!IsAccount(contact) || !IsAccount(account)) {
        log_("a without two accounts " + Quote(text));
        return;
    }
    std::optional<Address> contact_address;
    std::optional<Address> own_address;
    {
        db::ScopedStore central(db::CADOEx::Store::Central);
        if (!central.IsOpen()) {
            log_("a " + contact + " " + account + ": no addresses, " + central.Error());
            return;
        }
        contact_address = StoredAddress(contact);
        own_address = StoredAddress(account);
    }
    if (!contact_address || !own_address) {
        log_("a " + contact + " " + account + ": " + (contact_address ? account : contact) +
             " has no address");
        return;
    }
    socket.SendText(LinkText(*contact_address, contact), *own_address);
    socket.SendText(LinkText(*own_address, account), *contact_address);
    log_("a " + contact + " " + account + ": c to " + Describe(*own_address) + " and " +
         Describe(*contact_address));
}

void RelayService::Forward(const WireText& text, const Address& source, const UdpSocket& socket) {
    const auto to = ParseAddress(text.Field(1, 15), text.Field(16, 5));
    if (!to) {
        log_("w without a destination " + Quote(text) + " from " + Describe(source));
        return;
    }
    const std::string payload = text.size() > 21 ? text.bytes().substr(21) : std::string();
    socket.SendText(payload, *to);
    log_("w from " + Describe(source) + " to " + Describe(*to) + " (" +
         std::to_string(payload.size()) + " bytes)");
}

}  // namespace net
