#include "net/contact_table.h"

#include <stdexcept>

#include "common/text.h"

namespace net {

std::size_t Contacts::Checked(int index) {
    if (!ValidIndex(index)) {
        throw std::out_of_range("contact index " + std::to_string(index));
    }
    return static_cast<std::size_t>(index);
}

LinkFields Contacts::Link(int index) const {
    if (!ValidIndex(index)) {
        return {};
    }
    std::lock_guard lock(mutex_);
    return links_[static_cast<std::size_t>(index)];
}

void Contacts::SetQq(int index, std::string qq) {
    if (ValidIndex(index)) {
        std::lock_guard lock(mutex_);
        links_[static_cast<std::size_t>(index)].qq = std::move(qq);
    }
}

void Contacts::SetLastIp(int index, std::string ip) {
    if (ValidIndex(index)) {
        std::lock_guard lock(mutex_);
        links_[static_cast<std::size_t>(index)].lastip = std::move(ip);
    }
}

void Contacts::SetLastPort(int index, std::string port) {
    if (ValidIndex(index)) {
        std::lock_guard lock(mutex_);
        links_[static_cast<std::size_t>(index)].lastport = std::move(port);
    }
}

void Contacts::SetLinked(int index, std::string linked) {
    if (ValidIndex(index)) {
        std::lock_guard lock(mutex_);
        links_[static_cast<std::size_t>(index)].linked = std::move(linked);
    }
}

std::optional<Address> Contacts::AddressOf(int index) const {
    const LinkFields link = Link(index);
    return ParseAddress(link.lastip, link.lastport);
}

int Contacts::FindContact(std::string_view qq) const {
    std::lock_guard lock(mutex_);
    for (int i = 0; i < kContactCount; ++i) {
        if (links_[static_cast<std::size_t>(i)].qq == qq) {
            return i;
        }
    }
    return -1;
}

int Contacts::FindLastContact(std::string_view qq) const {
    std::lock_guard lock(mutex_);
    for (int i = kContactCount - 1; i >= 0; --i) {
        if (links_[static_cast<std::size_t>(i)].qq == qq) {
            return i;
        }
    }
    return -1;
}

int Contacts::FindContactByNumber(long long number) const {
    std::lock_guard lock(mutex_);
    for (int i = 0; i < kContactCount; ++i) {
        if (common::ToInt(links_[static_cast<std::size_t>(i)].qq) == number) {
            return i;
        }
    }
    return -1;
}

void Contacts::LearnPort(std::string_view account, const std::string& port) {
    if (account.empty()) {
        return;  // an empty account would name the first free entry
    }
    std::lock_guard lock(mutex_);
    for (auto& link : links_) {
        if (link.qq == account) {
            link.lastport = port;
            return;
        }
    }
}

void Contacts::LearnAddress(long long account, const Address& source) {
    const std::string port = source.PortText();
    std::lock_guard lock(mutex_);
    for (auto& link : links_) {
        if (!link.qq.empty() && common::ToInt(link.qq) == account) {
            link.lastip = source.ip;
            link.lastport = port;
            link.linked = "1";
        }
    }
}

void Contacts::Clear() {
    std::lock_guard lock(mutex_);
    entries_.fill(ContactEntry{});
    links_.fill(LinkFields{});
}

}  // namespace net
