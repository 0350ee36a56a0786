#include "ped06900/sqlite_range_store.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QVariant>
#include <atomic>
#include <cfloat>
#include <cmath>
#include <optional>

namespace ped06900 {
namespace {

// The schema version kept in PRAGMA user_version; a file from a newer server is refused.
constexpr int kSchemaVersion = 1;
constexpr const char* kSqliteBusy = "5";

const char* const kCreateTable =
    "CREATE TABLE RENTABILIDADE ("
    " NRSEQRENT TEXT NOT NULL PRIMARY KEY"
    "  CHECK (length(NRSEQRENT) = 10 AND NRSEQRENT NOT GLOB '*[^0-9]*'),"
    " VRPERCINIRENT REAL NOT NULL,"
    " VRPERCFIMRENT REAL NOT NULL,"
    " VRCORRENT REAL NOT NULL,"
    " IDBLOQUEIAPED TEXT NOT NULL CHECK (IDBLOQUEIAPED IN ('S', 'N')))";
const char* const kCreateIndex =
    "CREATE INDEX RENTABILIDADE_INTERVALO ON RENTABILIDADE (VRPERCINIRENT, VRPERCFIMRENT)";
const char* const kCreateBox =
    "CREATE VIRTUAL TABLE RENTABILIDADE_CAIXA USING rtree(id, inicio, fim)";

const char* const kColumns = "NRSEQRENT, VRPERCINIRENT, VRPERCFIMRENT, VRCORRENT, IDBLOQUEIAPED";

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
qlonglong RowId(const std::string& key) {
  return std::stoll(key);
}

QString NewConnectionName() {
  static std::atomic<unsigned long> counter{0};
  return QStringLiteral("rentab-%1").arg(++counter);
}

[[noreturn]] void Fail(const QSqlError& error, const char* what) {
  if (error.nativeErrorCode() == QLatin1String(kSqliteBusy)) {
    throw StorageError("O banco de dados está ocupado por outra gravação; tente novamente.");
  }
  throw StorageError(std::string("Falha no banco de dados ao ") + what + ": " +
                     error.text().toStdString());
}

RangeRecord ReadRecord(const QSqlQuery& query) {
  return RangeRecord{query.value(0).toString().toStdString(), query.value(1).toDouble(),
                     query.value(2).toDouble(), query.value(3).toDouble(),
                     query.value(4).toString().toStdString()};
}

}  // namespace

struct SqliteRangeStore::Impl {
  QString connectionName = NewConnectionName();
  QSqlDatabase db;
  bool box = false;
  bool writing = false;
  std::optional<QSqlQuery> all, highest, containing, find, insert, update, remove, boxInsert,
      boxUpdate, boxRemove;

  void Run(const QString& sql, const char* what) {
    QSqlQuery query(db);
    if (!query.exec(sql)) Fail(query.lastError(), what);
  }

  QVariant Scalar(const QString& sql, const char* what) {
    QSqlQuery query(db);
    if (!query.exec(sql)) Fail(query.lastError(), what);
    return query.next() ? query.value(0) : QVariant();
  }

  QSqlQuery& Prepared(std::optional<QSqlQuery>& slot, const QString& sql) {
    if (!slot) {
      slot.emplace(db);
      slot->setForwardOnly(true);
      if (!slot->prepare(sql)) Fail(slot->lastError(), "preparar uma consulta");
    }
    return *slot;
  }

  void Exec(QSqlQuery& query, const char* what) {
    if (!query.exec()) Fail(query.lastError(), what);
  }

  void Open(const std::string& path, std::chrono::milliseconds busyTimeout) {
    db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName);
    if (!db.isValid()) throw StorageError("O driver SQLite do Qt não está disponível.");
    db.setDatabaseName(QString::fromStdString(path));
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(busyTimeout.count()));
    if (!db.open()) {
      throw StorageError("Não foi possível abrir o banco de dados \"" + path +
                         "\": " + db.lastError().text().toStdString());
    }
    if (Scalar(QStringLiteral("PRAGMA journal_mode=WAL"), "ativar o modo WAL").toString() !=
        QLatin1String("wal")) {
      throw StorageError("O banco de dados \"" + path + "\" não aceita o modo WAL.");
    }
    Run(QStringLiteral("PRAGMA synchronous=FULL"), "ajustar a durabilidade");
    CreateSchema(path);
  }

  // Several servers may open one new file at once: the schema is created under the write lock.
  void CreateSchema(const std::string& path) {
    Run(QStringLiteral("BEGIN IMMEDIATE"), "iniciar a criação do esquema");
    try {
      const int version = Scalar(QStringLiteral("PRAGMA user_version"), "ler a versão").toInt();
      if (version > kSchemaVersion) {
        throw StorageError("O banco de dados \"" + path +
                           "\" foi criado por uma versão mais nova do servidor.");
      }
      if (version == 0) {
        Run(QString::fromLatin1(kCreateTable), "criar a tabela");
        Run(QString::fromLatin1(kCreateIndex), "criar o índice");
        Run(QStringLiteral("PRAGMA user_version=%1").arg(kSchemaVersion), "gravar a versão");
      }
      const bool boxExists =
          Scalar(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE name = "
                                "'RENTABILIDADE_CAIXA'"),
                 "procurar o índice espacial")
              .toInt() > 0;
      box = boxExists || CreateBox();
      Run(QStringLiteral("COMMIT"), "gravar o esquema");
    } catch (...) {
      QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
      throw;
    }
  }

  // Creates the box table and fills it from the ranges already stored (a file made by a
  // server without R*Tree). False when this SQLite has no R*Tree module.
  bool CreateBox() {
    QSqlQuery create(db);
    if (!create.exec(QString::fromLatin1(kCreateBox))) {
      if (create.lastError().text().contains(QLatin1String("no such module"))) return false;
      Fail(create.lastError(), "criar o índice espacial");
    }
    QSqlQuery rows(db);
    rows.setForwardOnly(true);
    if (!rows.exec(QStringLiteral("SELECT NRSEQRENT, VRPERCINIRENT, VRPERCFIMRENT FROM "
                                  "RENTABILIDADE"))) {
      Fail(rows.lastError(), "ler os intervalos");
    }
    box = true;
    while (rows.next()) {
      BoxInsert(rows.value(0).toString().toStdString(), rows.value(1).toDouble(),
                rows.value(2).toDouble());
    }
    return true;
  }

  void BoxInsert(const std::string& key, double start, double end) {
    QSqlQuery& q = Prepared(boxInsert, QStringLiteral("INSERT INTO RENTABILIDADE_CAIXA (id, "
                                                      "inicio, fim) VALUES (?, ?, ?)"));
    q.bindValue(0, RowId(key));
    q.bindValue(1, BoxLow(start));
    q.bindValue(2, BoxHigh(end));
    Exec(q, "gravar o índice espacial");
  }

  std::vector<std::string> KeysContaining(double value) {
    QSqlQuery& q =
        box ? Prepared(containing,
                       QStringLiteral("SELECT r.NRSEQRENT FROM RENTABILIDADE_CAIXA c"
                                      " JOIN RENTABILIDADE r ON r.rowid = c.id"
                                      " WHERE c.inicio <= ? AND c.fim >= ?"
                                      " AND r.VRPERCINIRENT <= ? AND r.VRPERCFIMRENT >= ?"
                                      " ORDER BY r.NRSEQRENT"))
            : Prepared(containing, QStringLiteral("SELECT NRSEQRENT FROM RENTABILIDADE"
                                                  " WHERE VRPERCINIRENT <= ? AND VRPERCFIMRENT >= ?"
                                                  " ORDER BY NRSEQRENT"));
    // Qt counts each placeholder as a parameter of its own, so the value is bound to each.
    for (int i = 0; i < (box ? 4 : 2); ++i) q.bindValue(i, value);
    Exec(q, "procurar os intervalos de um valor");
    std::vector<std::string> keys;
    while (q.next()) keys.push_back(q.value(0).toString().toStdString());
    q.finish();
    return keys;
  }

  std::optional<RangeRecord> Find(const std::string& key) {
    QSqlQuery& q = Prepared(
        find, QStringLiteral("SELECT %1 FROM RENTABILIDADE WHERE NRSEQRENT = ?").arg(kColumns));
    q.bindValue(0, QString::fromStdString(key));
    Exec(q, "ler um intervalo");
    std::optional<RangeRecord> found;
    if (q.next()) found = ReadRecord(q);
    q.finish();
    return found;
  }

  void BindRecord(QSqlQuery& q, const RangeRecord& range) {
    q.bindValue(0, RowId(range.key));
    q.bindValue(1, QString::fromStdString(range.key));
    q.bindValue(2, range.start);
    q.bindValue(3, range.end);
    q.bindValue(4, range.colour);
    q.bindValue(5, QString::fromStdString(range.flag));
  }

  void Insert(const RangeRecord& range) {
    QSqlQuery& q = Prepared(
        insert, QStringLiteral("INSERT INTO RENTABILIDADE (rowid, %1) VALUES (?, ?, ?, ?, ?, ?)")
                    .arg(kColumns));
    BindRecord(q, range);
    Exec(q, "incluir um intervalo");
    if (box) BoxInsert(range.key, range.start, range.end);
  }

  void Update(const RangeRecord& range) {
    QSqlQuery& q = Prepared(
        update, QStringLiteral("UPDATE RENTABILIDADE SET VRPERCINIRENT = ?, VRPERCFIMRENT = ?,"
                               " VRCORRENT = ?, IDBLOQUEIAPED = ? WHERE rowid = ?"));
    q.bindValue(0, range.start);
    q.bindValue(1, range.end);
    q.bindValue(2, range.colour);
    q.bindValue(3, QString::fromStdString(range.flag));
    q.bindValue(4, RowId(range.key));
    Exec(q, "alterar um intervalo");
    if (q.numRowsAffected() != 1) {
      throw StorageError("O intervalo " + range.key + " não está cadastrado.");
    }
    if (box) {
      QSqlQuery& b = Prepared(boxUpdate, QStringLiteral("UPDATE RENTABILIDADE_CAIXA SET inicio = "
                                                        "?, fim = ? WHERE id = ?"));
      b.bindValue(0, BoxLow(range.start));
      b.bindValue(1, BoxHigh(range.end));
      b.bindValue(2, RowId(range.key));
      Exec(b, "alterar o índice espacial");
    }
  }

  void Remove(const std::string& key) {
    QSqlQuery& q =
        Prepared(remove, QStringLiteral("DELETE FROM RENTABILIDADE WHERE NRSEQRENT = ?"));
    q.bindValue(0, QString::fromStdString(key));
    Exec(q, "excluir um intervalo");
    if (q.numRowsAffected() != 1) {
      throw StorageError("O intervalo " + key + " não está cadastrado.");
    }
    if (box) {
      QSqlQuery& b =
          Prepared(boxRemove, QStringLiteral("DELETE FROM RENTABILIDADE_CAIXA WHERE id = ?"));
      b.bindValue(0, RowId(key));
      Exec(b, "excluir do índice espacial");
    }
  }
};

namespace {

class SqliteRangeWriter : public RangeWriter {
 public:
  explicit SqliteRangeWriter(SqliteRangeStore::Impl& store) : store_(store) {
    if (store_.writing) throw StorageError("Já há uma gravação em andamento nesta conexão.");
    store_.Run(QStringLiteral("BEGIN IMMEDIATE"), "iniciar a gravação");
    store_.writing = true;
  }

  ~SqliteRangeWriter() override {
    if (store_.writing) {
      QSqlQuery(store_.db).exec(QStringLiteral("ROLLBACK"));
      store_.writing = false;
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
    store_.Run(QStringLiteral("COMMIT"), "confirmar a gravação");
    store_.writing = false;
  }

 private:
  SqliteRangeStore::Impl& store_;
};

}  // namespace

SqliteRangeStore::SqliteRangeStore(const std::string& path, std::chrono::milliseconds busyTimeout)
    : impl_(std::make_unique<Impl>()) {
  try {
    impl_->Open(path, busyTimeout);
  } catch (...) {
    impl_.reset();
    throw;
  }
}

SqliteRangeStore::~SqliteRangeStore() {
  if (!impl_) return;
  const QString name = impl_->connectionName;
  impl_.reset();  // the queries and the handle go before the connection itself
  QSqlDatabase::removeDatabase(name);
}

bool SqliteRangeStore::UsesBoxIndex() const {
  return impl_->box;
}

std::vector<RangeRecord> SqliteRangeStore::All() {
  QSqlQuery& q = impl_->Prepared(
      impl_->all, QStringLiteral("SELECT %1 FROM RENTABILIDADE ORDER BY VRPERCINIRENT, NRSEQRENT")
                      .arg(kColumns));
  impl_->Exec(q, "ler os intervalos");
  std::vector<RangeRecord> ranges;
  while (q.next()) ranges.push_back(ReadRecord(q));
  q.finish();
  return ranges;
}

std::optional<std::string> SqliteRangeStore::HighestKey() {
  QSqlQuery& q =
      impl_->Prepared(impl_->highest, QStringLiteral("SELECT max(NRSEQRENT) FROM RENTABILIDADE"));
  impl_->Exec(q, "ler a maior chave");
  std::optional<std::string> key;
  if (q.next() && !q.value(0).isNull()) key = q.value(0).toString().toStdString();
  q.finish();
  return key;
}

std::vector<std::string> SqliteRangeStore::KeysContaining(double value) {
  return impl_->KeysContaining(value);
}

std::unique_ptr<RangeWriter> SqliteRangeStore::BeginWrite() {
  return std::make_unique<SqliteRangeWriter>(*impl_);
}

}  // namespace ped06900
