#pragma once

#include "users/CLoginDlg.h"

#include <QApplication>
#include <QLineEdit>
#include <QTimer>

#include <gtest/gtest.h>

// Answers the login form with the name and password as soon as it is shown.
inline void logInAs(const QString &name, const QString &password)
{
    QTimer::singleShot(0, [=] {
        auto *login = qobject_cast<CLoginDlg *>(QApplication::activeModalWidget());
        ASSERT_NE(login, nullptr);
        login->userBox()->setText(name);
        login->passwordBox()->setText(password);
        login->accept();
        // A refused login keeps the form open: close it so the test fails instead of waiting.
        QTimer::singleShot(3000, [] {
            if (auto *still = qobject_cast<CLoginDlg *>(QApplication::activeModalWidget())) {
                ADD_FAILURE() << "the login was refused";
                still->reject();
            }
        });
    });
}
