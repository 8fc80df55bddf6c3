// The command line of qitai-admin: one command and its options, checked before anything is
// touched.
#pragma once

#include <string>
#include <vector>

#include "db/stores.h"

namespace admin {

enum class Command { Help, Init, Demo, Local, Query, Schema };

struct Options {
    Command command = Command::Help;
    bool force = false;
    std::string sql;          // query
    std::string dialect;      // schema: sqlite, mariadb or sqlserver
    db::LocalSettings local;  // local: server and installation settings
};

// The text shown for `help` and after an argument error.
extern const char* const kUsage;

// Reads the arguments after the program name. False with the reason when they are not a
// command line qitai-admin understands.
bool ParseOptions(const std::vector<std::string>& args, Options& options, std::string& error);

}  // namespace admin
