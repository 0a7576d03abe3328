#include "tests/common/BrowserPlay.h"

#include <QByteArray>
#include <QHostAddress>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QUrl>

#include "tests/common/TempDir.h"

namespace {

constexpr int PerFileLimitMs = 20000;

// The page plays the files in turn and reports every outcome at once to the listener, as the query
// of an image request (a file:// page may load an image from anywhere).
std::string Page(const std::vector<std::string>& files, quint16 port) {
    std::string list;
    for (const std::string& file : files)
        list += "'" + QUrl::fromLocalFile(QString::fromStdString(file)).toString().toStdString() + "',";
    return "<!doctype html><html><body><script>\n"
           "const files = [" +
           list +
           "]; const results = [];\n"
           "function next(i) {\n"
           "  if (i === files.length) { new Image().src = 'http://127.0.0.1:" +
           std::to_string(port) +
           "/?' + encodeURIComponent(results.join(';')); return; }\n"
           "  const url = files[i]; const audio = /\\.(m4a|opus|flac)$/.test(url);\n"
           "  const el = document.createElement(audio ? 'audio' : 'video'); el.muted = true; let done = "
           "false;\n"
           "  const finish = r => { if (done) return; done = true; results.push(url.split('/').pop() + '=' + "
           "r);\n"
           "    el.remove(); next(i + 1); };\n"
           "  el.onended = () => finish('ended');\n"
           "  el.onerror = () => finish('error' + (el.error ? el.error.code : ''));\n"
           "  setTimeout(() => finish('timeout'), " +
           std::to_string(PerFileLimitMs) +
           ");\n"
           "  el.src = url; document.body.appendChild(el); el.play().catch(e => finish('play:' + e.name));\n"
           "}\nnext(0);\n</script></body></html>\n";
}

std::map<std::string, std::string> ParseReport(const QByteArray& request) {
    std::map<std::string, std::string> results;
    const int start = request.indexOf("/?");
    const int end = request.indexOf(' ', start);
    if (start < 0 || end < 0)
        return results;
    const QString text = QUrl::fromPercentEncoding(request.mid(start + 2, end - start - 2));
    for (const QString& item : text.split(';', Qt::SkipEmptyParts)) {
        const qsizetype equals = item.lastIndexOf('=');
        results[item.left(equals).toStdString()] = item.mid(equals + 1).toStdString();
    }
    return results;
}

} // namespace

std::map<std::string, std::string> PlayInBrowser(const std::vector<std::string>& files, int limitSeconds) {
    QTcpServer listener;
    if (!listener.listen(QHostAddress::LocalHost, 0))
        return {};
    QByteArray request;
    bool answered = false;
    QObject::connect(&listener, &QTcpServer::newConnection, [&] {
        QTcpSocket* socket = listener.nextPendingConnection();
        QObject::connect(socket, &QTcpSocket::readyRead, [&, socket] {
            request += socket->readAll();
            if (!request.contains("\r\n\r\n") || answered)
                return;
            answered = true;
            socket->write("HTTP/1.0 204 No Content\r\n\r\n");
            socket->disconnectFromHost();
        });
    });
    TempDir scratch;
    const std::string page = scratch.WriteFile("play.html", Page(files, listener.serverPort()));
    QProcess browser;
    browser.setStandardOutputFile(QProcess::nullDevice());
    browser.setStandardErrorFile(QProcess::nullDevice());
    browser.start("chromium",
                  {"--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                   "--disable-background-networking", "--disable-component-update", "--disable-sync",
                   "--user-data-dir=" + QString::fromStdString((scratch.Path() / "profile").string()),
                   "--autoplay-policy=no-user-gesture-required",
                   QUrl::fromLocalFile(QString::fromStdString(page)).toString()});
    if (browser.waitForStarted())
        (void)QTest::qWaitFor([&] { return answered || browser.state() == QProcess::NotRunning; },
                              limitSeconds * 1000);
    browser.kill();
    browser.waitForFinished();
    return ParseReport(request);
}
