#pragma once

#include <QString>

#include <optional>
#include <utility>

// The outcome of an operation that can fail with a message for the user. The message is already
// in the user's language; callers show it or pass it on, they never build their own.
template <typename T>
class Result
{
public:
    Result(T value) : m_value(std::move(value)) {}
    static Result failure(QString message)
    {
        Result r;
        r.m_error = std::move(message);
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

private:
    Result() = default;
    std::optional<T> m_value;
    QString m_error;
};

// The outcome of an operation that yields nothing but can fail.
class Status
{
public:
    Status() = default;
    static Status failure(QString message)
    {
        Status s;
        s.m_error = std::move(message);
        s.m_failed = true;
        return s;
    }
    template <typename T>
    static Status from(const Result<T> &r)
    {
        return r.ok() ? Status() : failure(r.error());
    }

    bool ok() const { return !m_failed; }
    explicit operator bool() const { return ok(); }
    const QString &error() const { return m_error; }

private:
    QString m_error;
    bool m_failed = false;
};
