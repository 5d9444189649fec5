#pragma once
// The state of one open SQLite connection, shared by its driver and the writers of the
// updatable record sets opened on it (which hold it weakly: a writer outliving its
// connection fails cleanly instead of touching a closed handle).
#include <cstdint>
#include <string>

#include "ado/error.h"
#include "ado/sqlite/catalog.h"
#include "ado/sqlite/handles.h"
#include "ado/sqlite/plan.h"

namespace ado::sqlite {

struct CachedStatement {
    StmtHandle stmt;
};

struct CacheStats {
    std::uint64_t hits = 0;    // batches whose shape was already translated and prepared
    std::uint64_t misses = 0;  // batches translated anew
    std::size_t plans = 0;     // shapes held
};

struct Session {
    explicit Session(DbHandle handle) : db(std::move(handle)), catalog(db.get()) {}
    sqlite3* handle() const { return db.get(); }

    DbHandle db;  // first member: closed after every statement below is finalised
    Catalog catalog;
    LruCache<Plan> plans{256};
    LruCache<CachedStatement> statements{64};  // writers' INSERT/UPDATE/DELETE/re-read text
    CacheStats stats;
    ProviderErrors errors;

    // Runs `body`; a failure becomes the provider-error collection and is rethrown,
    // success clears the collection.
    template <typename F>
    decltype(auto) guarded(F&& body) {
        try {
            if constexpr (std::is_void_v<decltype(body())>) {
                body();
                errors.clear();
            } else {
                decltype(auto) r = body();
                errors.clear();
                return r;
            }
        } catch (const EngineError& e) {
            errors = {e.detail()};
            throw;
        } catch (const Error& e) {
            errors = {provider_error(e.number(), e.description())};
            throw;
        }
    }
};

}  // namespace ado::sqlite
