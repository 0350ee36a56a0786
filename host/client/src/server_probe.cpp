#include "client/server_probe.h"

#include <QTcpSocket>

#include "orv/valmora.h"

namespace client {

ServerProbe::ServerProbe(int intervalMs, int timeoutMs, QObject* parent)
    : QObject(parent), timeoutMs_(timeoutMs) {
  interval_.setInterval(intervalMs);
  connect(&interval_, &QTimer::timeout, this, &ServerProbe::Attempt);
  timeout_.setSingleShot(true);
  connect(&timeout_, &QTimer::timeout, this, [this] { Finish(false); });
}

ServerProbe::~ServerProbe() = default;

void ServerProbe::Start() {
  interval_.start();
  Attempt();
}

void ServerProbe::Attempt() {
  if (socket_) return;  // the previous attempt is still under way
  socket_ = std::make_unique<QTcpSocket>();
  connect(socket_.get(), &QTcpSocket::connected, this, [this] { Finish(true); });
  connect(socket_.get(), &QTcpSocket::errorOccurred, this, [this] { Finish(false); });
  timeout_.start(timeoutMs_);
  socket_->connectToHost(QString::fromStdString(orv::WebURL()),
                         static_cast<quint16>(orv::WebPort()));
}

void ServerProbe::Finish(bool answering) {
  timeout_.stop();
  if (socket_) {
    socket_->disconnect(this);
    socket_->abort();
    socket_.release()->deleteLater();  // we may be inside one of its signals
  }
  const Answer answer = answering ? Answer::Yes : Answer::No;
  if (answer == answering_) return;
  answering_ = answer;
  emit Changed(answering);
}

}  // namespace client
