#include "admin_options.h"

#include <map>
#include <optional>
#include <set>

#include "common/text.h"
#include "db/connection_string.h"

namespace admin {

const char* const kUsage =
    "usage: qitai-admin COMMAND [OPTIONS]\n"
    "\n"
    "  init [--force]     create the central database on the configured engine, with the\n"
    "                     settings row, the platform account 100000 and the departments\n"
    "  demo [--force]     add a demo shop (manager, customer service, two technicians,\n"
    "                     storekeeper) and print its accounts, passwords and roles\n"
    "  local --server ADDRESS [--engine sqlite|odbc] [--driver NAME]\n"
    "        [--dialect sqlserver|postgres|mariadb] [--options \"KEY=value;...\"]\n"
    "        [--default-server ADDRESS] [--force]\n"
    "                     create or update this computer's local store: the central server\n"
    "                     address and which engine serves the central database (for odbc:\n"
    "                     the driver's name, the server's dialect, further driver options\n"
    "                     such as \"PORT=3306\")\n"
    "  query \"SQL\"        run one statement on the central database and print its rows,\n"
    "                     fields joined by \"*@#$*\", NULL as one space\n"
    "  schema --dialect sqlserver|mariadb|postgres|sqlite\n"
    "                     print the text that creates the central tables on that engine\n"
    "  help               show this text\n"
    "\n"
    "--force recreates the store that exists (init, local) or replaces the demo shop (demo).\n"
    "init, demo and query use the central server address kept in the local store\n"
    "(127.0.0.1 without one). The data directory is $QITAI_HOME, else $XDG_DATA_HOME/qitai,\n"
    "else ~/.local/share/qitai.\n";

namespace {

// An address as it goes into a connection string and a datagram destination: a host name or
// IP address, optionally with a port or an instance name, and nothing that could start a
// further connection-string key.
bool IsAddress(const std::string& text) {
    if (text.empty() || text.size() > 255) {
        return false;
    }
    for (char c : text) {
        const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                        (c >= '0' && c <= '9') || c == '.' || c == '-' || c == '_' || c == ':' ||
                        c == ',' || c == '\\';
        if (!ok) {
            return false;
        }
    }
    return true;
}

// A driver name as it goes between the braces of "Driver={...}".
bool IsDriverName(const std::string& text) {
    if (common::Trim(text).empty()) {
        return false;
    }
    for (char c : text) {
        if (c == ';' || c == '{' || c == '}' || static_cast<unsigned char>(c) < 0x20) {
            return false;
        }
    }
    return true;
}

// Further "KEY=value" pairs of a connection string. The client's own keys (server, database,
// login) stay the client's.
bool IsDriverOptions(const std::string& text) {
    const std::vector<db::ConnectionPart> parts = db::SplitConnectionString(text);
    for (const db::ConnectionPart& part : parts) {
        if (!part.well_formed) {
            return false;
        }
        for (const char* own : {"driver", "dsn", "filedsn", "server", "servername", "host",
                                "database", "db", "uid", "user", "pwd", "password"}) {
            if (common::EqualsNoCase(part.key, own)) {
                return false;
            }
        }
        for (const std::string* piece : {&part.key, &part.value}) {
            for (char c : *piece) {
                if (c == '{' || c == '}' || static_cast<unsigned char>(c) < 0x20) {
                    return false;
                }
            }
        }
    }
    return !parts.empty();
}

const std::map<std::string, Command> kCommands = {
    {"help", Command::Help},   {"--help", Command::Help},   {"-h", Command::Help},
    {"init", Command::Init},   {"demo", Command::Demo},     {"local", Command::Local},
    {"query", Command::Query}, {"schema", Command::Schema},
};

// The options each command takes; those in the second set carry a value.
struct Accepted {
    std::set<std::string> flags;
    std::set<std::string> valued;
};

Accepted AcceptedBy(Command command) {
    switch (command) {
        case Command::Init:
        case Command::Demo:
            return {{"--force"}, {}};
        case Command::Local:
            return {
                {"--force"},
                {"--server", "--engine", "--driver", "--dialect", "--options", "--default-server"}};
        case Command::Schema:
            return {{}, {"--dialect"}};
        case Command::Help:
        case Command::Query:
            break;
    }
    return {};
}

bool CheckLocal(const std::map<std::string, std::string>& values, Options& options,
                std::string& error) {
    const auto value = [&](const std::string& name) -> std::optional<std::string> {
        const auto it = values.find(name);
        return it == values.end() ? std::nullopt : std::optional<std::string>(it->second);
    };
    options.local.server = value("--server");
    options.local.engine = value("--engine");
    options.local.odbc_driver = value("--driver");
    options.local.odbc_dialect = value("--dialect");
    options.local.odbc_options = value("--options");
    options.local.default_server = value("--default-server");
    const db::LocalSettings& local = options.local;
    if (!local.server) {
        error = "local needs --server ADDRESS";
        return false;
    }
    for (const auto* address : {&local.server, &local.default_server}) {
        if (*address && !IsAddress(**address)) {
            error = "\"" + **address + "\" is not a server address";
            return false;
        }
    }
    if (local.engine && *local.engine != "sqlite" && *local.engine != "odbc") {
        error = "--engine is sqlite or odbc, not \"" + *local.engine + "\"";
        return false;
    }
    if (local.odbc_dialect && *local.odbc_dialect != "sqlserver" &&
        *local.odbc_dialect != "postgres" && *local.odbc_dialect != "mariadb") {
        error = "--dialect is sqlserver, postgres or mariadb, not \"" + *local.odbc_dialect + "\"";
        return false;
    }
    if (local.odbc_driver && !IsDriverName(*local.odbc_driver)) {
        error = "\"" + *local.odbc_driver + "\" is not an ODBC driver name";
        return false;
    }
    if (local.odbc_options && !IsDriverOptions(*local.odbc_options)) {
        error = "\"" + *local.odbc_options + "\" are not driver options (KEY=value;...)";
        return false;
    }
    if (local.engine == "odbc" && (!local.odbc_driver || !local.odbc_dialect)) {
        error = "--engine odbc needs --driver NAME and --dialect NAME";
        return false;
    }
    return true;
}

}  // namespace

bool ParseOptions(const std::vector<std::string>& args, Options& options, std::string& error) {
    options = Options{};
    if (args.empty()) {
        error = "no command given";
        return false;
    }
    const auto command = kCommands.find(args[0]);
    if (command == kCommands.end()) {
        error = "unknown command \"" + args[0] + "\"";
        return false;
    }
    options.command = command->second;
    const Accepted accepted = AcceptedBy(options.command);

    std::vector<std::string> positional;
    std::map<std::string, std::string> values;
    for (std::size_t i = 1; i < args.size(); ++i) {
        std::string name = args[i];
        std::optional<std::string> value;
        if (name.rfind("--", 0) == 0 && options.command != Command::Query) {
            if (const std::size_t eq = name.find('='); eq != std::string::npos) {
                value = name.substr(eq + 1);
                name = name.substr(0, eq);
            }
            if (accepted.flags.count(name) != 0 && !value) {
                options.force = true;
            } else if (accepted.valued.count(name) != 0) {
                if (!value) {
                    if (i + 1 >= args.size()) {
                        error = name + " needs a value";
                        return false;
                    }
                    value = args[++i];
                }
                if (values.count(name) != 0) {
                    error = name + " is given twice";
                    return false;
                }
                values[name] = *value;
            } else {
                error = "unknown option \"" + args[i] + "\" for " + args[0];
                return false;
            }
        } else {
            positional.push_back(args[i]);
        }
    }

    switch (options.command) {
        case Command::Query:
            if (positional.size() != 1 || common::Trim(positional[0]).empty()) {
                error = "query takes one statement, in quotes";
                return false;
            }
            options.sql = positional[0];
            return true;
        case Command::Local:
            if (!positional.empty()) {
                error = "unexpected argument \"" + positional[0] + "\"";
                return false;
            }
            return CheckLocal(values, options, error);
        case Command::Schema: {
            const auto dialect = values.find("--dialect");
            if (!positional.empty() || dialect == values.end() ||
                (dialect->second != "sqlserver" && dialect->second != "mariadb" &&
                 dialect->second != "postgres" && dialect->second != "sqlite")) {
                error = "schema needs --dialect sqlserver, mariadb, postgres or sqlite";
                return false;
            }
            options.dialect = dialect->second;
            return true;
        }
        case Command::Help:
        case Command::Init:
        case Command::Demo:
            if (!positional.empty()) {
                error = "unexpected argument \"" + positional[0] + "\"";
                return false;
            }
            return true;
    }
    return true;
}

}  // namespace admin
