#include "dui/DuiInstanceChannel.h"

#include <sys/socket.h>
#include <unistd.h>

#include <QDataStream>
#include <QLocalServer>
#include <QLocalSocket>

namespace korvane {

namespace {

void WriteRecord(QDataStream& out, const DuiCommandRecord& r) {
  out << qint32(r.uID) << QString::fromStdString(r.name) << qint32(r.msg) << quint64(r.wParam)
      << QString::fromStdString(r.text);
}

bool ReadRecord(QDataStream& in, DuiCommandRecord* r) {
  qint32 uID = 0, msg = 0;
  quint64 wParam = 0;
  QString name, text;
  in.startTransaction();
  in >> uID >> name >> msg >> wParam >> text;
  if (!in.commitTransaction()) return false;
  r->uID = uID;
  r->name = name.toStdString();
  r->msg = msg;
  r->wParam = static_cast<WPARAM>(wParam);
  r->text = text.toStdString();
  return true;
}

}  // namespace

bool PeerIsThisUser(qintptr descriptor) {
  struct ucred peer {};
  socklen_t length = sizeof peer;
  if (descriptor < 0 || ::getsockopt(static_cast<int>(descriptor), SOL_SOCKET, SO_PEERCRED, &peer, &length) != 0)
    return false;
  return length == sizeof peer && peer.uid == ::geteuid();
}

DuiInstanceChannel::DuiInstanceChannel(std::string serverName) : serverName_(std::move(serverName)) {}

DuiInstanceChannel::~DuiInstanceChannel() {
  if (server_) server_->close();
}

bool DuiInstanceChannel::SendToFirst(const DuiCommandRecord& record, int timeoutMs) {
  QLocalSocket socket;
  socket.connectToServer(QString::fromStdString(serverName_));
  if (!socket.waitForConnected(timeoutMs)) return false;
  // A socket of that name held by another account is not our first instance;
  // it gets nothing.
  if (!PeerIsThisUser(socket.socketDescriptor())) {
    socket.abort();
    return false;
  }
  QByteArray bytes;
  QDataStream out(&bytes, QIODevice::WriteOnly);
  WriteRecord(out, record);
  socket.write(bytes);
  const bool sent = socket.waitForBytesWritten(timeoutMs);
  socket.disconnectFromServer();
  return sent;
}

bool DuiInstanceChannel::Listen(Receiver receiver) {
  receiver_ = std::move(receiver);
  server_ = std::make_unique<QLocalServer>();
  // Only this user may connect: the socket is made user-only before it
  // appears under its name, and every connection's peer is checked too.
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  const QString name = QString::fromStdString(serverName_);
  if (!server_->listen(name)) {
    // Nobody answered before we got here, so the name is a leftover of an
    // instance that did not end cleanly.
    QLocalServer::removeServer(name);
    if (!server_->listen(name)) return false;
  }
  QLocalServer* server = server_.get();
  QObject::connect(server, &QLocalServer::newConnection, server, [this, server] {
    while (QLocalSocket* socket = server->nextPendingConnection()) {
      if (!PeerIsThisUser(socket->socketDescriptor())) {
        socket->abort();
        socket->deleteLater();
        continue;
      }
      QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
      auto in = std::make_shared<QDataStream>(socket);
      QObject::connect(socket, &QLocalSocket::readyRead, socket, [this, in] {
        DuiCommandRecord record;
        while (ReadRecord(*in, &record))
          if (receiver_) receiver_(record);
      });
    }
  });
  return true;
}

std::string DuiInstanceChannel::SocketPath() const {
  return server_ && server_->isListening() ? server_->fullServerName().toStdString() : std::string();
}

}  // namespace korvane
