#pragma once
// Writes the rows of an updatable record set through to its table, keyed by rowid.
#include <memory>
#include <string>
#include <vector>

#include "ado/driver.h"
#include "ado/sqlite/plan.h"
#include "ado/sqlite/shape.h"

namespace ado::sqlite {

struct Session;

class SqliteRowWriter final : public RowWriter {
  public:
    // `columns` in the record set's order; the hidden one is the rowid.
    SqliteRowWriter(std::weak_ptr<Session> session, std::string schema, std::string table,
                    std::vector<ResultColumn> columns);

    std::vector<Variant> insert(const std::vector<Variant>& values,
                                const std::vector<bool>& assigned) override;
    std::vector<Variant> update(const std::vector<Variant>& original, const std::vector<Variant>& values,
                                const std::vector<bool>& changed) override;
    void remove(const std::vector<Variant>& original) override;

  private:
    Session& session() const;
    std::string target() const;
    std::int64_t rowid_of(const std::vector<Variant>& row) const;
    std::vector<Variant> reread(Session& s, std::int64_t rowid);
    void run(Session& s, const std::string& sql, const std::vector<BoundValue>& values);

    std::weak_ptr<Session> session_;
    std::string schema_;
    std::string table_;
    std::vector<ResultColumn> columns_;
    std::size_t rowid_index_ = 0;
    std::string reread_sql_;
};

}  // namespace ado::sqlite
