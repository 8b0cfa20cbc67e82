#pragma once
#include <QString>
#include <stdexcept>

namespace ports {

// The error a failing capture-control operation raises: a number and a description, shown by
// the screens as "Eror code: " + number + " " + description.
class ControlError : public std::runtime_error {
public:
    ControlError(qint32 number, const QString& description)
        : std::runtime_error(description.toStdString()), m_number(number),
          m_description(description) {}
    qint32 number() const { return m_number; }
    const QString& description() const { return m_description; }

private:
    qint32 m_number;
    QString m_description;
};

// Error numbers used by the capture control (upper half of the 32-bit range, as an outside
// component's errors are; shown in hexadecimal by some handlers).
namespace errors {
constexpr qint32 kInvalidIndex = static_cast<qint32>(0x80040001u);
constexpr qint32 kNotConnected = static_cast<qint32>(0x80040002u);
constexpr qint32 kDeviceOpenFailed = static_cast<qint32>(0x80040003u);
constexpr qint32 kFileCreateFailed = static_cast<qint32>(0x80040004u);
constexpr qint32 kFileExists = static_cast<qint32>(0x80040005u);
constexpr qint32 kInvalidValue = static_cast<qint32>(0x80040006u);
constexpr qint32 kBusy = static_cast<qint32>(0x80040007u);
constexpr qint32 kNotSupported = static_cast<qint32>(0x80040008u);
} // namespace errors

} // namespace ports
