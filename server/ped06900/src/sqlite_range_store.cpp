#include "ped06900/sqlite_range_store.h"

#include <cfloat>
#include <cmath>
#include <optional>

#include "sqlite_statement.h"

namespace ped06900 {
namespace {

using sqlite::Statement;

// The schema version kept in PRAGMA user_version; a file from a newer server is refused.
constexpr int kSchemaVersion = 1;

const char* const kCreateTable =
    "CREATE TABLE RENTABILIDADE ("
    " NRSEQRENT TEXT NOT NULL PRIMARY KEY"
    "  CHECK (length(NRSEQRENT) = 10 AND NRSEQRENT NOT GLOB '*[^0-9]*'),"
    " VRPERCINIRENT REAL NOT NULL,"
    " VRPERCFIMRENT REAL NOT NULL,"
    " VRCORRENT REAL NOT NULL,"
    " IDBLOQUEIAPED TEXT NOT NULL CHECK (IDBLOQUEIAPED IN ('S', 'N')))";
// Covers GetRentab, which walks it in order (start, then key) without a sort or a visit to the
// table, and the lookup by value when there is no box table.
const char* const kCreateIndex =
    "CREATE INDEX RENTABILIDADE_INTERVALO ON RENTABILIDADE (VRPERCINIRENT, NRSEQRENT,"
    " VRPERCFIMRENT, VRCORRENT, IDBLOQUEIAPED)";
const char* const kCreateBox =
    "CREATE VIRTUAL TABLE RENTABILIDADE_CAIXA USING rtree(id, inicio, fim)";

// The box of a range must enclose it although R*Tree keeps 32-bit floats: the lower corner is
// rounded down and the upper one up, so the box is a true prefilter and the exact test on the
// stored doubles decides.
double BoxLow(double value) {
  if (value < -FLT_MAX) return -INFINITY;
  if (value > FLT_MAX) return FLT_MAX;
  float f = static_cast<float>(value);
  if (static_cast<double>(f) > value) f = std::nextafterf(f, -INFINITY);
  return f;
}

double BoxHigh(double value) {
  if (value > FLT_MAX) return INFINITY;
  if (value < -FLT_MAX) return -FLT_MAX;
  float f = static_cast<float>(value);
  if (static_cast<double>(f) < value) f = std::nextafterf(f, INFINITY);
  return f;
}

// The key, ten decimal digits, doubles as the rowid of both tables.
int64_t RowId(const std::string& key) {
  return std::stoll(key);
}

RangeRecord ReadRecord(const Statement& row) {
  return RangeRecord{row.Text(0), row.Double(1), row.Double(2), row.Double(3), row.Text(4)};
}

}  // namespace

struct SqliteRangeStore::Impl {
  sqlite3* db = nullptr;
  bool box = false;
  bool writing = false;
  // Prepared once, on first use.
  std::optional<Statement> all, highest, containing, find, insert, update, remove, boxInsert,
      boxUpdate, boxRemove, begin, commit, rollback;

  // Closes once the statements, destroyed after this body, are finalized.
  ~Impl() { sqlite3_close_v2(db); }

  Statement& Prepared(std::optional<Statement>& slot, const char* sql) {
    if (!slot) slot.emplace(db, sql);
    return *slot;
  }

  void Exec(const char* sql, const char* action) {
    const int code = sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
    if (code != SQLITE_OK) sqlite::Fail(db, code, action);
  }

  void Open(const std::string& path, std::chrono::milliseconds busyTimeout) {
    // Each store belongs to one thread, so the connection needs no mutex of its own.
    const int code =
        sqlite3_open_v2(path.c_str(), &db,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (code != SQLITE_OK) {
      throw StorageError("Não foi possível abrir o banco de dados \"" + path +
                         "\": " + (db ? sqlite3_errmsg(db) : sqlite3_errstr(code)) + ".");
    }
    sqlite3_extended_result_codes(db, 1);
    sqlite3_busy_timeout(db, static_cast<int>(busyTimeout.count()));
    Statement wal(db, "PRAGMA journal_mode=WAL");
    if (!wal.Step("ativar o modo WAL") || wal.Text(0) != "wal") {
      throw StorageError("O banco de dados \"" + path + "\" não aceita o modo WAL.");
    }
    wal.Reset();
    Exec("PRAGMA synchronous=FULL", "ajustar a durabilidade");
    // Reads map the file instead of copying each page through read(): the lookups stay fast
    // however far the table outgrows the page cache. Writes still go through the WAL.
    Exec("PRAGMA mmap_size=1073741824", "mapear o arquivo");
    CreateSchema(path);
  }

  // Several servers may open one new file at once: the schema is created under the write lock.
  void CreateSchema(const std::string& path) {
    Exec("BEGIN IMMEDIATE", "iniciar a criação do esquema");
    try {
      Statement version(db, "PRAGMA user_version");
      version.Step("ler a versão do esquema");
      const int64_t current = version.Int(0);
      version.Reset();
      if (current > kSchemaVersion) {
        throw StorageError("O banco de dados \"" + path +
                           "\" foi criado por uma versão mais nova do servidor.");
      }
      if (current == 0) {
        Exec(kCreateTable, "criar a tabela");
        Exec(kCreateIndex, "criar o índice");
        Exec(("PRAGMA user_version=" + std::to_string(kSchemaVersion)).c_str(),
             "gravar a versão do esquema");
      }
      Statement boxExists(db,
                          "SELECT count(*) FROM sqlite_master WHERE name = 'RENTABILIDADE_CAIXA'");
      boxExists.Step("procurar o índice espacial");
      box = boxExists.Int(0) > 0;
      boxExists.Reset();
      if (!box) box = CreateBox();
      Exec("COMMIT", "gravar o esquema");
    } catch (...) {
      sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
      throw;
    }
  }

  // Creates the box table and fills it from the ranges already stored (a file made by a
  // server without R*Tree). False when this SQLite has no R*Tree module.
  bool CreateBox() {
    const int code = sqlite3_exec(db, kCreateBox, nullptr, nullptr, nullptr);
    if (code != SQLITE_OK) {
      if (std::string(sqlite3_errmsg(db)).find("no such module") != std::string::npos) {
        return false;
      }
      sqlite::Fail(db, code, "criar o índice espacial");
    }
    Statement rows(db, "SELECT NRSEQRENT, VRPERCINIRENT, VRPERCFIMRENT FROM RENTABILIDADE");
    box = true;
    while (rows.Step("ler os intervalos")) BoxInsert(rows.Text(0), rows.Double(1), rows.Double(2));
    return true;
  }

  void BoxInsert(const std::string& key, double start, double end) {
    Statement& q = Prepared(
        boxInsert, "INSERT INTO RENTABILIDADE_CAIXA (id, inicio, fim) VALUES (?1, ?2, ?3)");
    q.Bind(1, RowId(key));
    q.Bind(2, BoxLow(start));
    q.Bind(3, BoxHigh(end));
    q.Run("gravar o índice espacial");
  }

  std::vector<std::string> KeysContaining(double value) {
    Statement& q = box ? Prepared(containing,
                                  "SELECT r.NRSEQRENT FROM RENTABILIDADE_CAIXA c"
                                  " JOIN RENTABILIDADE r ON r.rowid = c.id"
                                  " WHERE c.inicio <= ?1 AND c.fim >= ?1"
                                  " AND r.VRPERCINIRENT <= ?1 AND r.VRPERCFIMRENT >= ?1"
                                  " ORDER BY r.NRSEQRENT")
                       : Prepared(containing,
                                  "SELECT NRSEQRENT FROM RENTABILIDADE"
                                  " WHERE VRPERCINIRENT <= ?1 AND VRPERCFIMRENT >= ?1"
                                  " ORDER BY NRSEQRENT");
    q.Bind(1, value);
    std::vector<std::string> keys;
    while (q.Step("procurar os intervalos de um valor")) keys.push_back(q.Text(0));
    return keys;
  }

  std::optional<RangeRecord> Find(const std::string& key) {
    Statement& q = Prepared(find,
                            "SELECT NRSEQRENT, VRPERCINIRENT, VRPERCFIMRENT, VRCORRENT, "
                            "IDBLOQUEIAPED FROM RENTABILIDADE WHERE NRSEQRENT = ?1");
    q.Bind(1, key);
    std::optional<RangeRecord> found;
    if (q.Step("ler um intervalo")) found = ReadRecord(q);
    q.Reset();
    return found;
  }

  void Insert(const RangeRecord& range) {
    Statement& q =
        Prepared(insert,
                 "INSERT INTO RENTABILIDADE (rowid, NRSEQRENT, VRPERCINIRENT, "
                 "VRPERCFIMRENT, VRCORRENT, IDBLOQUEIAPED) VALUES (?1, ?2, ?3, ?4, ?5, ?6)");
    q.Bind(1, RowId(range.key));
    q.Bind(2, range.key);
    q.Bind(3, range.start);
    q.Bind(4, range.end);
    q.Bind(5, range.colour);
    q.Bind(6, range.flag);
    q.Run("incluir um intervalo");
    if (box) BoxInsert(range.key, range.start, range.end);
  }

  void Update(const RangeRecord& range) {
    Statement& q = Prepared(update,
                            "UPDATE RENTABILIDADE SET VRPERCINIRENT = ?2, VRPERCFIMRENT = ?3,"
                            " VRCORRENT = ?4, IDBLOQUEIAPED = ?5 WHERE NRSEQRENT = ?1");
    q.Bind(1, range.key);
    q.Bind(2, range.start);
    q.Bind(3, range.end);
    q.Bind(4, range.colour);
    q.Bind(5, range.flag);
    q.Run("alterar um intervalo");
    if (q.Changes() != 1) throw StorageError("O intervalo " + range.key + " não está cadastrado.");
    if (box) {
      Statement& b =
          Prepared(boxUpdate, "UPDATE RENTABILIDADE_CAIXA SET inicio = ?2, fim = ?3 WHERE id = ?1");
      b.Bind(1, RowId(range.key));
      b.Bind(2, BoxLow(range.start));
      b.Bind(3, BoxHigh(range.end));
      b.Run("alterar o índice espacial");
    }
  }

  void Remove(const std::string& key) {
    Statement& q = Prepared(remove, "DELETE FROM RENTABILIDADE WHERE NRSEQRENT = ?1");
    q.Bind(1, key);
    q.Run("excluir um intervalo");
    if (q.Changes() != 1) throw StorageError("O intervalo " + key + " não está cadastrado.");
    if (box) {
      Statement& b = Prepared(boxRemove, "DELETE FROM RENTABILIDADE_CAIXA WHERE id = ?1");
      b.Bind(1, RowId(key));
      b.Run("excluir do índice espacial");
    }
  }
};

namespace {

class SqliteRangeWriter : public RangeWriter {
 public:
  explicit SqliteRangeWriter(SqliteRangeStore::Impl& store) : store_(store) {
    if (store_.writing) throw StorageError("Já há uma gravação em andamento nesta conexão.");
    store_.Prepared(store_.begin, "BEGIN IMMEDIATE").Run("iniciar a gravação");
    store_.writing = true;
  }

  ~SqliteRangeWriter() override {
    // Only this writer's own transaction: a committed writer may outlive the start of the next.
    if (open_) {
      store_.writing = false;
      // A failed statement may already have ended the transaction; nothing is left to undo then.
      if (!sqlite3_get_autocommit(store_.db)) {
        sqlite3_exec(store_.db, "ROLLBACK", nullptr, nullptr, nullptr);
      }
    }
  }

  std::optional<RangeRecord> Find(const std::string& key) override { return store_.Find(key); }
  std::vector<std::string> KeysContaining(double value) override {
    return store_.KeysContaining(value);
  }
  void Insert(const RangeRecord& range) override { store_.Insert(range); }
  void Update(const RangeRecord& range) override { store_.Update(range); }
  void Remove(const std::string& key) override { store_.Remove(key); }

  void Commit() override {
    store_.Prepared(store_.commit, "COMMIT").Run("confirmar a gravação");
    store_.writing = false;
    open_ = false;
  }

 private:
  SqliteRangeStore::Impl& store_;
  bool open_ = true;  // begun and neither committed nor rolled back
};

}  // namespace

SqliteRangeStore::SqliteRangeStore(const std::string& path, std::chrono::milliseconds busyTimeout)
    : impl_(std::make_unique<Impl>()) {
  impl_->Open(path, busyTimeout);
}

SqliteRangeStore::~SqliteRangeStore() = default;

bool SqliteRangeStore::UsesBoxIndex() const {
  return impl_->box;
}

std::vector<RangeRecord> SqliteRangeStore::All() {
  Statement& q = impl_->Prepared(impl_->all,
                                 "SELECT NRSEQRENT, VRPERCINIRENT, VRPERCFIMRENT, VRCORRENT,"
                                 " IDBLOQUEIAPED FROM RENTABILIDADE"
                                 " ORDER BY VRPERCINIRENT, NRSEQRENT");
  std::vector<RangeRecord> ranges;
  while (q.Step("ler os intervalos")) ranges.push_back(ReadRecord(q));
  return ranges;
}

std::optional<std::string> SqliteRangeStore::HighestKey() {
  Statement& q = impl_->Prepared(impl_->highest, "SELECT max(NRSEQRENT) FROM RENTABILIDADE");
  std::optional<std::string> key;
  if (q.Step("ler a maior chave") && !q.IsNull(0)) key = q.Text(0);
  q.Reset();
  return key;
}

std::vector<std::string> SqliteRangeStore::KeysContaining(double value) {
  return impl_->KeysContaining(value);
}

std::unique_ptr<RangeWriter> SqliteRangeStore::BeginWrite() {
  return std::make_unique<SqliteRangeWriter>(*impl_);
}

}  // namespace ped06900
