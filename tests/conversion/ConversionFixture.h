#pragma once
#include <memory>
#include <string>

#include "datalayer/Connection.h"
#include "support/ScriptedMsgBox.h"
#include "support/TestEnvironment.h"
#include "support/TestServer.h"
#include "window/FrmMain.h"

// Two customers as a run meets them: the source on 127.0.0.2 and the target on
// 127.0.0.3, both registered on the central database, with a loaded and shown window
// holding their IDs. Tables are made by the test.
class ConversionFixture {
public:
    ConversionFixture();
    ~ConversionFixture();

    testsupport::IsolatedEnvironment env;
    testsupport::ScriptedMsgBox boxes;
    std::string sourceId, targetId;
    std::string sourceDb, targetDb;
    FrmMain form;

    void SourceSql(const std::string& sql) const { testsupport::AdminSql(sql, sourceDb); }
    void TargetSql(const std::string& sql) const { testsupport::AdminSql(sql, targetDb); }
    std::string SourceScalar(const std::string& sql) const { return testsupport::AdminScalar(sql, sourceDb); }
    std::string TargetScalar(const std::string& sql) const { return testsupport::AdminScalar(sql, targetDb); }

    // Creates, in the source, the tables and columns the zero-date repair touches.
    void CreateZeroDateTables() const;
    // Selects exactly the named catalogue rows.
    void Select(std::initializer_list<const char*> tables);
    // Plans Yes for the start question and runs.
    void Start();
    // The log as lines, without the final line break.
    std::vector<std::string> LogLines() const;
    // The same without the summary at the end of a run and the line naming its record.
    std::vector<std::string> RunLines() const;
    // The summary lines at the end of the log ("[작업 요약] ..." and after).
    std::vector<std::string> SummaryLines() const;
    // The last run's record, read from the state folder.
    std::string RecordText() const;

    // Every table of the target database: its definition (its counter included) and a
    // checksum of its rows, to compare the target before and after a run.
    std::vector<std::string> TargetState() const;
    // The same without the copies a run fills beside the tables and their marks (a stopped
    // or killed run leaves them for the next run to drop, a failed one keeps those verified).
    std::vector<std::string> OwnTargetState() const;
    // A connection to a customer database through a data source of the test's own.
    std::shared_ptr<ado::Connection> Connect(bool target) const;
};
