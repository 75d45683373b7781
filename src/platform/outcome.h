#pragma once

#include <QString>

#include <utility>

// Whether an operation succeeded, and why not: the one way the program's
// layers report a failure (exceptions only reach the start-up error box).
class Outcome {
 public:
  static Outcome Ok() { return Outcome(); }
  static Outcome Failed(QString reason) { return Outcome(std::move(reason)); }

  explicit operator bool() const { return m_reason.isEmpty(); }
  // Empty on success.
  const QString& Reason() const { return m_reason; }

 private:
  Outcome() = default;
  explicit Outcome(QString reason)
      : m_reason(reason.isEmpty() ? QStringLiteral("failed") : std::move(reason)) {}

  QString m_reason;
};
