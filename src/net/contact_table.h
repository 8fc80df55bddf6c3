// The process-wide table of the user's contacts: 99 fixed entries of text fields, filled from
// index 0 by the contacts tree loader, one more taken by each accepted contact request. An entry
// whose account is empty is free. A chat window knows its peer only by the entry's index.
//
// Two threads use the table. The user-interface thread owns every field; the receive thread
// reads `qq` and writes `lastip`, `lastport` and `linked` as link texts arrive. Those four fields
// are therefore kept apart behind one lock, taken only for the reads and writes themselves and
// never across a send, a database call or a dialog. The other fields are plain and belong to the
// user-interface thread alone.
#pragma once

#include <array>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "net/address.h"

namespace net {

inline constexpr int kContactCount = 99;

// The fields only the user-interface thread touches, in the record's order.
struct ContactEntry {
    std::string slot;     // the entry's own index as decimal text
    std::string caption;  // tree text without the role prefix: name "_" account
    std::string comment;  // the user's remark on the contact
    std::string pic;      // picture number: online icon; the not-online icon is pic + 2
    std::string name;
    std::string sex;
    std::string department;
    std::string telephone;
    std::string online;        // "1" online, "2" invisible, "3" logged out
    std::string conversation;  // the transcript of this run's chat with the contact
    std::string Port_3389;
    std::string Port_radmin;
    std::string u_kind;  // role code
};

// The fields both threads use, read together under the lock.
struct LinkFields {
    std::string qq;        // account number; empty = free entry
    std::string lastip;    // dotted address where the contact's client receives, or empty
    std::string lastport;  // its port as decimal text, or empty
    std::string linked;    // "1" when a datagram from the contact has arrived directly
};

class Contacts {
  public:
    // The user-interface fields of an entry; `index` must be 0..98 (std::out_of_range else).
    ContactEntry& Entry(int index) { return entries_.at(Checked(index)); }
    const ContactEntry& Entry(int index) const { return entries_.at(Checked(index)); }
    static bool ValidIndex(int index) { return index >= 0 && index < kContactCount; }

    // Guarded fields, by index (an index outside 0..98 reads empty and writes nothing).
    LinkFields Link(int index) const;
    std::string Qq(int index) const { return Link(index).qq; }
    std::string LastIp(int index) const { return Link(index).lastip; }
    std::string LastPort(int index) const { return Link(index).lastport; }
    std::string Linked(int index) const { return Link(index).linked; }
    void SetQq(int index, std::string qq);
    void SetLastIp(int index, std::string ip);
    void SetLastPort(int index, std::string port);
    void SetLinked(int index, std::string linked);
    // Where the contact can be reached: both lastip and lastport set and usable.
    std::optional<Address> AddressOf(int index) const;

    // The first entry whose account equals the text byte for byte, or -1. An empty text finds
    // the first free entry.
    int FindContact(std::string_view qq) const;
    // The last entry whose account equals the text, or -1 (the chat window of a sender).
    int FindLastContact(std::string_view qq) const;
    // The first entry whose account read as a decimal number equals `number`, or -1. A free
    // entry reads as 0.
    int FindContactByNumber(long long number) const;
    // The first free entry, or -1 when all 99 are used.
    int FreeSlot() const { return FindContact(""); }

    // Receive thread: the first entry whose account equals `account` gets `lastport`; an empty
    // account changes nothing.
    void LearnPort(std::string_view account, const std::string& port);
    // Receive thread: every used entry whose account as a number equals `account` gets the
    // address and becomes linked. Free entries are never touched, so a stray text with an
    // empty or zero account cannot leave an address in a slot that a later contact takes.
    void LearnAddress(long long account, const Address& source);

    // Empties every field of all 99 entries.
    void Clear();

  private:
    static std::size_t Checked(int index);

    mutable std::mutex mutex_;
    std::array<ContactEntry, kContactCount> entries_;
    std::array<LinkFields, kContactCount> links_;
};

}  // namespace net

// The one table of the process.
inline net::Contacts ContactTable;
