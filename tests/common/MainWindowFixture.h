#pragma once

#include "app/ArchiveSetup.h"
#include "app/CMainFrame.h"
#include "base/AppState.h"
#include "common/TestArchive.h"
#include "ui/MessageBox.h"

#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

// What a test of the main window starts from: a new archive, its state as the clerk "CLERK" has
// it after the login, a profile of the test's own, right-to-left layout, and message boxes that
// are recorded instead of shown.
class MainWindowFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        registerCoreResources();
        QApplication::setLayoutDirection(Qt::RightToLeft);
        MessageBox::setTestMode(true);
        ASSERT_TRUE(m_archive.problem().isEmpty()) << m_archive.problem().toStdString();
        m_state = AppState::load(m_archive.home());
        m_state.currentUser = QStringLiteral("CLERK");
        m_profile = std::make_unique<QSettings>(m_dir.filePath(QStringLiteral("profile.ini")), QSettings::IniFormat);
    }
    void TearDown() override { MessageBox::setTestMode(false); }

    TestArchive m_archive{Engine::SQLite};
    QTemporaryDir m_dir;
    AppState m_state;
    std::unique_ptr<QSettings> m_profile;
};
