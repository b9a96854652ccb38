#pragma once

#include <QCommandLineParser>
#include <QList>

struct AppEnvironment;

// The program's options, read before any application object exists, so that a check from a
// terminal never loads the GUI. Builds with more options (the end-to-end build) pass them in.
class CommandLine
{
public:
    enum class Action { tray, status, help, version, invalid };
    enum class Format { text, json, prometheus };

    CommandLine(int argc, char *argv[], const QList<QCommandLineOption> &extraOptions = {});

    Action action() const { return m_action; }
    Format format() const { return m_format; }
    const QCommandLineParser &parser() const { return m_parser; }

    // Everything but the tray, once a QCoreApplication exists: prints and returns the exit
    // status. The environment is asked for only by the status check.
    int runWithoutGui(const AppEnvironment &environment) const;

private:
    QString usage() const;

    QCommandLineParser m_parser;
    Action m_action = Action::tray;
    Format m_format = Format::text;
    QString m_error;
};
