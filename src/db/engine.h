// The engine under CADOEx: opens a connection from a connection string, runs SQL text and hands
// back text rows with NULL flags. Each engine names the dialect it speaks so that the statements,
// written in the central server's dialect, can be rewritten for it.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace db {

enum class Dialect { SqlServer, Sqlite, Postgres, MariaDb };

// The rows of the last statement that returned columns. A value without text is a NULL.
struct ResultSet {
    std::vector<std::string> columns;
    std::vector<std::vector<std::optional<std::string>>> rows;
};

class Engine {
  public:
    virtual ~Engine() = default;

    // Opens a connection; false (with Error()) when it cannot be opened.
    virtual bool Open(const std::string& connection_string) = 0;
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;
    // Runs SQL text, already in this engine's dialect. On success `out` holds the rows of the
    // last statement that returned columns (empty otherwise).
    virtual bool Run(const std::string& sql, ResultSet& out) = 0;
    // Rows changed by the last statement that ran; an update counts the rows it matched, also
    // those whose values stay the same.
    virtual long long RowsAffected() const = 0;
    // A transaction on the connection: the statements run until Commit take effect together or
    // not at all. Rollback undoes them; closing the connection before Commit does too.
    virtual bool Begin() = 0;
    virtual bool Commit() = 0;
    virtual bool Rollback() = 0;
    virtual Dialect SqlDialect() const = 0;
    // The engine's text for the last failure.
    virtual const std::string& Error() const = 0;
};

}  // namespace db
