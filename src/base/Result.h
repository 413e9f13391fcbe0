#pragma once

#include <QString>

#include <optional>
#include <utility>

// Why an operation did not succeed. Refused: the request is not allowed or not valid, nothing was
// changed and the user can correct it (a card without classification, a code already taken).
// Failed: something broke on the way (a file, the database, the lock).
enum class Failure { Refused, Failed };

// The outcome of an operation that can fail with a message for the user. The message is already
// in the user's language; callers show it or pass it on, they never build their own, and they
// tell a refusal from a breakdown by its kind, never by its text.
template <typename T>
class Result
{
public:
    Result(T value) : m_value(std::move(value)) {}
    static Result failure(QString message) { return failure(Failure::Failed, std::move(message)); }
    static Result refused(QString message) { return failure(Failure::Refused, std::move(message)); }
    static Result failure(Failure kind, QString message)
    {
        Result r;
        r.m_error = std::move(message);
        r.m_kind = kind;
        return r;
    }

    bool ok() const { return m_value.has_value(); }
    explicit operator bool() const { return ok(); }
    const T &value() const { return *m_value; }
    T &value() { return *m_value; }
    const T &operator*() const { return *m_value; }
    T &operator*() { return *m_value; }
    const T *operator->() const { return &*m_value; }
    T *operator->() { return &*m_value; }
    const QString &error() const { return m_error; }
    // Meaningful only when not ok().
    Failure kind() const { return m_kind; }
    bool refused() const { return !ok() && m_kind == Failure::Refused; }

private:
    Result() = default;
    std::optional<T> m_value;
    QString m_error;
    Failure m_kind = Failure::Failed;
};

// The outcome of an operation that yields nothing but can fail.
class Status
{
public:
    Status() = default;
    static Status failure(QString message) { return failure(Failure::Failed, std::move(message)); }
    static Status refused(QString message) { return failure(Failure::Refused, std::move(message)); }
    static Status failure(Failure kind, QString message)
    {
        Status s;
        s.m_error = std::move(message);
        s.m_failed = true;
        s.m_kind = kind;
        return s;
    }
    template <typename T>
    static Status from(const Result<T> &r)
    {
        return r.ok() ? Status() : failure(r.kind(), r.error());
    }

    bool ok() const { return !m_failed; }
    explicit operator bool() const { return ok(); }
    const QString &error() const { return m_error; }
    // Meaningful only when not ok().
    Failure kind() const { return m_kind; }
    bool refused() const { return m_failed && m_kind == Failure::Refused; }

private:
    QString m_error;
    bool m_failed = false;
    Failure m_kind = Failure::Failed;
};
