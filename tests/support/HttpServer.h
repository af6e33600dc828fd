#pragma once

#include <QCoreApplication>
#include <QTcpServer>
#include <QTcpSocket>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

// A small HTTP/1.1 server on 127.0.0.1 for the online clients' tests: every request is answered
// by route(target) and recorded.
namespace lorvika::test {

struct HttpAnswer {
    int status = 200;
    QByteArray body;
    std::vector<std::pair<QByteArray, QByteArray>> headers;
    bool hang = false;  // headers and half the body, then silence
};

struct HttpRequest {
    QByteArray target;  // path and query as sent
    QByteArray userAgent;
};

// Network classes need an application object; gtest's main makes none.
inline void ensureCoreApplication() {
    if (QCoreApplication::instance()) return;
    static int argc = 1;
    static char name[] = "test";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
}

class HttpServer : public QObject {
  public:
    std::function<HttpAnswer(const QByteArray& target)> route;
    std::vector<HttpRequest> requests;

    HttpServer() {
        ensureCoreApplication();
        server_.listen(QHostAddress::LocalHost, 0);
        connect(&server_, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* s = server_.nextPendingConnection()) {
                s->setParent(this);
                connect(s, &QTcpSocket::readyRead, this, [this, s] { read(s); });
            }
        });
    }
    std::string base() const { return "http://127.0.0.1:" + std::to_string(server_.serverPort()); }

  private:
    void read(QTcpSocket* s) {
        QByteArray& buffer = buffers_[s];
        buffer += s->readAll();
        const qsizetype end = buffer.indexOf("\r\n\r\n");
        if (end < 0) return;
        const QList<QByteArray> lines = buffer.left(end).split('\n');
        HttpRequest request;
        request.target = lines.value(0).split(' ').value(1);
        for (const QByteArray& l : lines)
            if (l.toLower().startsWith("user-agent:")) request.userAgent = l.mid(11).trimmed();
        buffer.clear();
        requests.push_back(request);
        const HttpAnswer a = route ? route(request.target) : HttpAnswer{404, "", {}, false};
        QByteArray out = "HTTP/1.1 " + QByteArray::number(a.status) + " X\r\n";
        out += "Content-Length: " + QByteArray::number(a.body.size() * (a.hang ? 2 : 1)) + "\r\n";
        out += "Connection: close\r\n";
        for (const auto& [k, v] : a.headers) out += k + ": " + v + "\r\n";
        out += "\r\n" + a.body;
        s->write(out);
        if (!a.hang) s->disconnectFromHost();
    }

    QTcpServer server_;
    std::map<QTcpSocket*, QByteArray> buffers_;
};

}  // namespace lorvika::test
