// What each qitai-admin command does. Each returns the process's exit status: 0 when it did
// its work, 1 when the stores refused or failed (with the reason on standard error).
#pragma once

#include "admin_options.h"

namespace admin {

int RunInit(const Options& options);
int RunDemo(const Options& options);
int RunLocal(const Options& options);
int RunQuery(const Options& options);
int RunSchema(const Options& options);

}  // namespace admin
