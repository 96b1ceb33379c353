#pragma once

// A real mosquitto broker for the tests, on a free port of 127.0.0.1, with
// its configuration, password file and persistence in a temporary
// directory, and a subscriber with a persistent session that collects what
// arrives.
#include <QFile>
#include <QMutex>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <mosquitto.h>

#include <netinet/in.h>
#include <pwd.h>
#include <sys/socket.h>
#include <unistd.h>

inline int freeLocalPort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    int port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr *>(&address), &length) == 0)
        port = ntohs(address.sin_port);
    ::close(fd);
    return port;
}

inline bool acceptsConnections(int port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(quint16(port));
    const bool accepted =
        ::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
    ::close(fd);
    return accepted;
}

class TestBroker
{
public:
    // With a user, only that user gets in, with that password. With TLS,
    // the broker's certificate for 127.0.0.1 is signed by a CA of its own
    // (caFile()).
    explicit TestBroker(const QString &user = {}, const QString &password = {}, bool tls = false)
        : m_port(freeLocalPort())
    {
        QStringList lines{QStringLiteral("listener %1 127.0.0.1").arg(m_port),
                          QStringLiteral("persistence true"),
                          QStringLiteral("persistence_location %1/").arg(m_dir.path()),
                          QStringLiteral("log_dest stderr")};
        // Started as root, the broker would change to its own user and lose
        // this directory.
        if (const passwd *self = ::getpwuid(::getuid()))
            lines << QStringLiteral("user %1").arg(QString::fromLocal8Bit(self->pw_name));
        if (user.isEmpty()) {
            lines << QStringLiteral("allow_anonymous true");
        } else {
            const QString passwords = m_dir.filePath(QStringLiteral("passwords"));
            QFile(passwords).open(QIODevice::WriteOnly);
            QProcess::execute(QStringLiteral("mosquitto_passwd"),
                              {QStringLiteral("-b"), passwords, user, password});
            lines << QStringLiteral("allow_anonymous false")
                  << QStringLiteral("password_file %1").arg(passwords);
        }
        if (tls && makeCertificates())
            lines << QStringLiteral("cafile %1").arg(caFile())
                  << QStringLiteral("certfile %1").arg(m_dir.filePath(QStringLiteral("server.crt")))
                  << QStringLiteral("keyfile %1").arg(m_dir.filePath(QStringLiteral("server.key")));
        QFile config(m_dir.filePath(QStringLiteral("mosquitto.conf")));
        config.open(QIODevice::WriteOnly);
        config.write((lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8());
    }
    ~TestBroker() { stop(); }

    int port() const { return m_port; }
    QString caFile() const { return m_dir.filePath(QStringLiteral("ca.crt")); }

    // True once it accepts connections.
    bool start()
    {
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        m_process.setStandardOutputFile(m_dir.filePath(QStringLiteral("broker.log")),
                                        QIODevice::Append);
        m_process.start(QStringLiteral("mosquitto"),
                        {QStringLiteral("-c"), m_dir.filePath(QStringLiteral("mosquitto.conf"))});
        if (!m_process.waitForStarted())
            return false;
        for (int i = 0; i < 200 && m_process.state() == QProcess::Running; ++i) {
            if (acceptsConnections(m_port))
                return true;
            QTest::qWait(50);
        }
        return false;
    }
    // SIGTERM: it saves its sessions and messages, as a service stop does.
    void stop()
    {
        if (m_process.state() == QProcess::NotRunning)
            return;
        m_process.terminate();
        if (!m_process.waitForFinished(10000)) {
            m_process.kill();
            m_process.waitForFinished();
        }
    }
    QString log() const
    {
        QFile file(m_dir.filePath(QStringLiteral("broker.log")));
        file.open(QIODevice::ReadOnly);
        return QString::fromUtf8(file.readAll());
    }

private:
    // A CA and a server certificate for 127.0.0.1 signed by it (EC keys:
    // quick to make).
    bool makeCertificates()
    {
        auto openssl = [&](const QStringList &arguments) {
            QProcess run;
            run.setWorkingDirectory(m_dir.path());
            run.start(QStringLiteral("openssl"), arguments);
            return run.waitForFinished(30000) && run.exitCode() == 0;
        };
        const QStringList key{"-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1",
                              "-nodes"};
        QFile extensions(m_dir.filePath(QStringLiteral("server.ext")));
        extensions.open(QIODevice::WriteOnly);
        extensions.write("subjectAltName=IP:127.0.0.1\n");
        extensions.close();
        return openssl(QStringList{"req", "-x509"} + key +
                       QStringList{"-keyout", "ca.key", "-out", "ca.crt", "-days", "2", "-subj",
                                   "/CN=KLV57 test CA"}) &&
               openssl(QStringList{"req"} + key +
                       QStringList{"-keyout", "server.key", "-out", "server.csr", "-subj",
                                   "/CN=127.0.0.1"}) &&
               openssl({"x509", "-req", "-in", "server.csr", "-CA", "ca.crt", "-CAkey", "ca.key",
                        "-CAcreateserial", "-out", "server.crt", "-days", "2", "-extfile",
                        "server.ext"});
    }

    QTemporaryDir m_dir;
    int m_port;
    QProcess m_process;
};

// Subscribes with QoS 1 in a persistent session, so that what the broker
// took while it was away is delivered once it is back. The network thread
// reconnects by itself.
class TestSubscriber
{
public:
    TestSubscriber(int port, const QString &topic)
    {
        mosquitto_lib_init();
        m_mosq = mosquitto_new("klv57-test-subscriber", false, this);
        m_topic = topic.toUtf8();
        mosquitto_connect_callback_set(m_mosq, [](mosquitto *mosq, void *self, int rc) {
            if (rc == 0)
                mosquitto_subscribe(mosq, nullptr,
                                    static_cast<TestSubscriber *>(self)->m_topic.constData(), 1);
        });
        mosquitto_subscribe_callback_set(
            m_mosq, [](mosquitto *, void *self, int, int, const int *) {
                auto *subscriber = static_cast<TestSubscriber *>(self);
                QMutexLocker lock(&subscriber->m_mutex);
                ++subscriber->m_subscribed;
            });
        mosquitto_message_callback_set(
            m_mosq, [](mosquitto *, void *self, const mosquitto_message *message) {
                auto *subscriber = static_cast<TestSubscriber *>(self);
                QMutexLocker lock(&subscriber->m_mutex);
                subscriber->m_messages.append(
                    {QString::fromUtf8(message->topic),
                     QByteArray(static_cast<const char *>(message->payload), message->payloadlen),
                     message->retain});
            });
        mosquitto_reconnect_delay_set(m_mosq, 1, 1, false);
        mosquitto_connect_async(m_mosq, "127.0.0.1", port, 30);
        mosquitto_loop_start(m_mosq);
    }
    ~TestSubscriber()
    {
        mosquitto_disconnect(m_mosq);
        mosquitto_loop_stop(m_mosq, false);
        mosquitto_destroy(m_mosq);
    }

    struct Message {
        QString topic;
        QByteArray payload;
        bool retained = false;
    };

    // Subscriptions the broker confirmed (one a connection).
    int subscribed() const
    {
        QMutexLocker lock(&m_mutex);
        return m_subscribed;
    }
    QList<Message> messages() const
    {
        QMutexLocker lock(&m_mutex);
        return m_messages;
    }

private:
    mosquitto *m_mosq = nullptr;
    QByteArray m_topic;
    mutable QMutex m_mutex;
    int m_subscribed = 0;
    QList<Message> m_messages;
};
