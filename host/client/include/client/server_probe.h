#pragma once
// ServerProbe: tells, without ever blocking the event loop, whether the application server
// accepts connections. Every interval it starts one asynchronous TCP connect to the current
// address (taken from orv's WebURL/WebPort at each attempt) and aborts it after the timeout;
// the result arrives through Changed(), emitted only when the answer differs from the last.
// Answers start unknown, so the first one is always emitted.

#include <QObject>
#include <QTimer>
#include <memory>

class QTcpSocket;

namespace client {

class ServerProbe : public QObject {
  Q_OBJECT
 public:
  explicit ServerProbe(int intervalMs = 5000, int timeoutMs = 2000, QObject* parent = nullptr);
  ~ServerProbe() override;

  // Starts probing now and then every interval.
  void Start();
  // Whether the last attempt connected; false until an attempt has ended.
  bool Answering() const { return answering_ == Answer::Yes; }

 signals:
  void Changed(bool answering);

 private:
  enum class Answer { Unknown, Yes, No };
  void Attempt();
  void Finish(bool answering);

  int timeoutMs_;
  QTimer interval_;
  QTimer timeout_;
  std::unique_ptr<QTcpSocket> socket_;
  Answer answering_ = Answer::Unknown;
};

}  // namespace client
