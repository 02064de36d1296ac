#pragma once
// One headless Chromium for the browser tests, driven over its remote debugging socket: a
// page per target, JavaScript evaluated in it, its viewport set as a device's.
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QWebSocket>
#include <QtTest>

namespace kyomat::testing {

// One headless browser, driven over its debugging socket: a page per target.
class Browser {
  public:
    Browser() {
        process_.setProgram(QStringLiteral("chromium"));
        process_.setArguments({"--headless", "--no-sandbox", "--disable-gpu", "--no-first-run",
                               "--remote-debugging-port=0", "--window-size=1280,720",
                               "--user-data-dir=" + profile_.path(), "about:blank"});
        process_.start();
        QVERIFY2(process_.waitForStarted(10000), "chromium does not start");
        // It says where it listens on its error output.
        const QRegularExpression listening("DevTools listening on (ws://\\S+)");
        QString seen;
        QElapsedTimer waited;
        waited.start();
        while (waited.elapsed() < 30000 && url_.isEmpty()) {
            process_.waitForReadyRead(200);
            seen += QString::fromLocal8Bit(process_.readAllStandardError());
            const auto m = listening.match(seen);
            if (m.hasMatch()) url_ = m.captured(1);
        }
        QVERIFY2(!url_.isEmpty(), qPrintable(seen));
        QObject::connect(&socket_, &QWebSocket::textMessageReceived, [this](const QString& text) {
            const QJsonObject m = QJsonDocument::fromJson(text.toUtf8()).object();
            if (m.contains("id")) replies_[m["id"].toInt()] = m;
        });
        socket_.open(QUrl(url_));
        QTRY_VERIFY_WITH_TIMEOUT(socket_.state() == QAbstractSocket::ConnectedState, 10000);
    }
    ~Browser() {
        socket_.close();
        process_.kill();
        process_.waitForFinished(5000);
    }

    // Opens a page; returns its session for evaluate().
    // Opens a page, in a window of its own of the given size when one is given.
    QString open(const QString& url, int width = 0, int height = 0) {
        QJsonObject params{{"url", url}};
        if (width > 0) {
            params["newWindow"] = true;
            params["width"] = width;
            params["height"] = height;
        }
        const QJsonObject target = call("Target.createTarget", params);
        const QJsonObject session =
            call("Target.attachToTarget", {{"targetId", target["targetId"]}, {"flatten", true}});
        return session["sessionId"].toString();
    }
    // The value of a JavaScript expression in the page, as text ("" when it fails).
    QString evaluate(const QString& session, const QString& expression) {
        const QJsonObject r = call("Runtime.evaluate",
                                   {{"expression", expression}, {"returnByValue", true}}, session);
        return r["result"].toObject()["value"].toVariant().toString();
    }
    // The page's window as a device of that size would give it. A page still loading may drop
    // the override: it is given again until the page has it.
    void viewport(const QString& session, int width, int height) {
        const QString wanted = QStringLiteral("complete %1x%2").arg(width).arg(height);
        QElapsedTimer waited;
        waited.start();
        while (waited.elapsed() < 15000) {
            call("Emulation.setDeviceMetricsOverride",
                 {{"width", width},
                  {"height", height},
                  {"deviceScaleFactor", 1},
                  {"mobile", width < height}},
                 session);
            QTest::qWait(100);
            if (evaluate(session, "document.readyState + ' ' + innerWidth + 'x' + innerHeight") ==
                wanted)
                return;
        }
    }
    // Saves what the page shows as a PNG file (for the documentation; nothing is checked).
    void screenshot(const QString& session, const QString& file) {
        const QJsonObject r = call("Page.captureScreenshot", {{"format", "png"}}, session);
        QFile out(file);
        if (out.open(QIODevice::WriteOnly))
            out.write(QByteArray::fromBase64(r["data"].toString().toLatin1()));
    }
    QString text_of(const QString& session, const QString& id) {
        return evaluate(session, "(function(){const e=document.getElementById('" + id +
                                     "');return e?e.textContent:'';})()");
    }

  private:
    QJsonObject call(const QString& method, const QJsonObject& params,
                     const QString& session = {}) {
        const int id = ++next_id_;
        QJsonObject message{{"id", id}, {"method", method}, {"params", params}};
        if (!session.isEmpty()) message["sessionId"] = session;
        socket_.sendTextMessage(QJsonDocument(message).toJson(QJsonDocument::Compact));
        QElapsedTimer waited;
        waited.start();
        while (!replies_.contains(id) && waited.elapsed() < 10000) QTest::qWait(10);
        return replies_.take(id)["result"].toObject();
    }

    QTemporaryDir profile_;
    QProcess process_;
    QString url_;
    QWebSocket socket_;
    QHash<int, QJsonObject> replies_;
    int next_id_ = 0;
};

}  // namespace kyomat::testing
