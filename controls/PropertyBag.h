// The design-time property store of a control: named values kept by the
// containing window. A control reads each of its properties with a default
// for a missing key, and writes each with a default that is left out when the
// value equals it. The bag remembers the order in which keys were written.
#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <map>

namespace controls {

class PropertyBag {
public:
    QVariant ReadProperty(const QString& name, const QVariant& defaultValue) const
    {
        const auto it = values_.find(name);
        return it == values_.end() ? defaultValue : it->second;
    }

    void WriteProperty(const QString& name, const QVariant& value, const QVariant& defaultValue)
    {
        if (value == defaultValue) {
            values_.erase(name);
            order_.removeAll(name);
            return;
        }
        if (values_.find(name) == values_.end())
            order_.append(name);
        values_[name] = value;
    }

    bool Contains(const QString& name) const { return values_.find(name) != values_.end(); }
    // Keys in the order they were first written.
    QStringList Keys() const { return order_; }

private:
    std::map<QString, QVariant> values_;
    QStringList order_;
};

} // namespace controls
