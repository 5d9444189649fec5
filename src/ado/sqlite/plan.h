#pragma once
// A translated batch, ready to run again with other literal values: its statements in
// SQLite text with their prepared statements, and the batch's own control flow
// (DECLARE/SET variables, IF ... BEGIN ... END) that SQLite has no syntax for.
#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "ado/driver.h"
#include "ado/sqlite/handles.h"
#include "ado/sqlite/sql_type.h"
#include "ado/sqlite/tokenizer.h"
#include "ado/sqlite/type_info.h"

namespace ado::sqlite {

struct ResultColumn {
    ColumnInfo info;
    TypeInfo type;       // Storage::Expression: judged from the values read
    std::string schema;  // "main" or "temp" for a table column
};

struct SqlStep {
    std::vector<std::string> sql;  // one DML statement, or the pieces of one DDL statement
    bool ddl = false;
    bool updatable = false;
    bool changes_rows = false;          // INSERT/UPDATE/DELETE: reports the records affected
    std::vector<ParamSlot> params;      // what each "?" of a DML statement takes, in order
    std::vector<SqlType> result_types;  // the server's types of a SELECT's items, when told
    // Filled when first run.
    StmtHandle stmt;
    std::vector<ResultColumn> columns;
};

struct PlanNode {
    enum class Kind { Nothing, Sql, Declare, Set, If, Block };
    Kind kind = Kind::Nothing;
    SqlStep step;                     // Sql; Set from a query; If's condition
    std::string variable;             // Declare, Set
    int literal = -1;                 // Set from one literal
    bool negate = false;              // Set from a negative literal
    bool set_null = false;            // Set to NULL
    bool from_query = false;          // Set from `step`
    SqlType declared;                 // Set: the variable's type, which the value takes
    SqlType value_type;               // Set from a literal: the literal's type
    std::vector<PlanNode> body;       // Block, If's THEN branch
    std::vector<PlanNode> otherwise;  // If's ELSE branch
};

struct Plan {
    std::vector<PlanNode> nodes;
    bool has_ddl = false;
};

// Least-recently-used map from shape text to a shared value.
template <typename T>
class LruCache {
  public:
    explicit LruCache(std::size_t capacity) : capacity_(capacity) {}

    std::shared_ptr<T> find(const std::string& key) {
        const auto it = index_.find(key);
        if (it == index_.end()) return nullptr;
        order_.splice(order_.begin(), order_, it->second);
        return it->second->second;
    }
    void insert(const std::string& key, std::shared_ptr<T> value) {
        if (const auto it = index_.find(key); it != index_.end()) {
            it->second->second = std::move(value);
            order_.splice(order_.begin(), order_, it->second);
            return;
        }
        order_.emplace_front(key, std::move(value));
        index_.emplace(key, order_.begin());
        if (order_.size() > capacity_) {
            index_.erase(order_.back().first);
            order_.pop_back();
        }
    }
    void clear() {
        index_.clear();
        order_.clear();
    }
    std::size_t size() const { return order_.size(); }

  private:
    std::size_t capacity_;
    std::list<std::pair<std::string, std::shared_ptr<T>>> order_;
    std::unordered_map<std::string, typename decltype(order_)::iterator> index_;
};

}  // namespace ado::sqlite
