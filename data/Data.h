#pragma once

#include "platform/db/access/Connection.h"

#include <QString>

// The desk's three named connections, made on first use and kept for the
// life of the process. Their strings are those the program was built with,
// except where the settings entry named after the connection ("SqlServer",
// "HALDOR", "MIRVA") holds a value: then, as for an empty built-in string,
// the string is assembled from that entry when the entry is complete.
class DataEnvironment
{
public:
    DataEnvironment();
    DataEnvironment(const DataEnvironment &) = delete;
    DataEnvironment &operator=(const DataEnvironment &) = delete;

    platform::Connection &SqlServer() { return m_sqlServer; }
    platform::Connection &HALDOR() { return m_haldor; }
    platform::Connection &MIRVA() { return m_mirva; }

    // Points the three connections at other databases (tests, benchmarks);
    // open connections are closed first. Empty strings are assembled as at
    // start.
    void setConnectionStrings(const QString &sqlServer, const QString &haldor, const QString &mirva);

private:
    platform::Connection m_sqlServer;
    platform::Connection m_haldor;
    platform::Connection m_mirva;
};

DataEnvironment &Data();
