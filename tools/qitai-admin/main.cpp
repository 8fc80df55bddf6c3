// qitai-admin: creates and fills the stores, runs a statement for an administrator.
#include <cstdio>
#include <string>
#include <vector>

#include "admin_commands.h"
#include "admin_options.h"

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    admin::Options options;
    std::string error;
    if (!admin::ParseOptions(args, options, error)) {
        std::fprintf(stderr, "qitai-admin: %s\n\n%s", error.c_str(), admin::kUsage);
        return 2;
    }
    switch (options.command) {
        case admin::Command::Help:
            std::fputs(admin::kUsage, stdout);
            return 0;
        case admin::Command::Init:
            return admin::RunInit(options);
        case admin::Command::Demo:
            return admin::RunDemo(options);
        case admin::Command::Local:
            return admin::RunLocal(options);
        case admin::Command::Query:
            return admin::RunQuery(options);
        case admin::Command::Schema:
            return admin::RunSchema(options);
    }
    return 2;
}
