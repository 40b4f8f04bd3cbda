#include "JsonSchema.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>

#include <cmath>
#include <set>

namespace simtest {

namespace {

using Faults = std::vector<std::string>;

bool hasType(const QJsonValue& value, const QString& type)
{
    if (type == "integer")
        return value.isDouble() && std::floor(value.toDouble()) == value.toDouble();
    return (type == "number" && value.isDouble()) || (type == "string" && value.isString())
        || (type == "boolean" && value.isBool()) || (type == "object" && value.isObject())
        || (type == "array" && value.isArray()) || (type == "null" && value.isNull());
}

class Check
{
public:
    explicit Check(const QJsonObject& root) : m_root(root) { }

    // Checks value against schema; evaluated gets the object keys that some keyword took
    // (for unevaluatedProperties of an enclosing schema).
    bool run(const QJsonValue& schema, const QJsonValue& value, const std::string& where,
        std::set<QString>& evaluated, Faults& faults) const
    {
        if (schema.isBool()) {
            if (!schema.toBool())
                faults.push_back(where + ": not allowed");
            return schema.toBool();
        }
        const std::size_t before = faults.size();
        const QJsonObject rules = schema.toObject();
        const QJsonObject object = value.toObject();
        const auto fault = [&](const std::string& text) { faults.push_back(where + ": " + text); };
        static const std::set<QString> kKeywords = {"$ref", "type", "const", "enum", "properties",
            "required", "additionalProperties", "unevaluatedProperties", "items", "minimum",
            "pattern", "allOf", "oneOf", "title", "description", "$schema", "$id", "$defs"};
        for (auto rule = rules.begin(); rule != rules.end(); ++rule) {
            const QString key = rule.key();
            const QJsonValue& arg = rule.value();
            if (!kKeywords.contains(key)) {
                fault("unknown keyword " + key.toStdString());
            } else if (key == "$ref") {
                const QString ref = arg.toString();
                if (!ref.startsWith("#/$defs/") || !m_root["$defs"].toObject().contains(ref.mid(8)))
                    fault("unknown $ref " + ref.toStdString());
                else
                    run(m_root["$defs"][ref.mid(8)], value, where, evaluated, faults);
            } else if (key == "type") {
                const QJsonArray types = arg.isArray() ? arg.toArray() : QJsonArray {arg};
                if (std::none_of(types.begin(), types.end(),
                        [&](const QJsonValue& type) { return hasType(value, type.toString()); }))
                    fault("not of type "
                        + QJsonDocument(types).toJson(QJsonDocument::Compact).toStdString());
            } else if (key == "const" && value != arg) {
                fault("is not the constant");
            } else if (key == "enum" && !arg.toArray().contains(value)) {
                fault("is none of the listed values");
            } else if (key == "required") {
                for (const QJsonValue& name : arg.toArray()) {
                    if (value.isObject() && !object.contains(name.toString()))
                        fault("lacks " + name.toString().toStdString());
                }
            } else if (key == "properties" && value.isObject()) {
                for (auto it = object.begin(); it != object.end(); ++it) {
                    if (arg.toObject().contains(it.key())) {
                        std::set<QString> inner;
                        run(arg[it.key()], it.value(), where + "/" + it.key().toStdString(), inner,
                            faults);
                        evaluated.insert(it.key());
                    }
                }
            } else if (key == "additionalProperties" && value.isObject()) {
                for (auto it = object.begin(); it != object.end(); ++it) {
                    if (!rules["properties"].toObject().contains(it.key())) {
                        std::set<QString> inner;
                        run(arg, it.value(), where + "/" + it.key().toStdString(), inner, faults);
                        evaluated.insert(it.key());
                    }
                }
            } else if (key == "items" && value.isArray()) {
                const QJsonArray items = value.toArray();
                for (qsizetype i = 0; i < items.size(); ++i) {
                    std::set<QString> inner;
                    run(arg, items[i], where + "/" + std::to_string(i), inner, faults);
                }
            } else if (key == "minimum" && value.isDouble() && value.toDouble() < arg.toDouble()) {
                fault("is below " + std::to_string(arg.toDouble()));
            } else if (key == "pattern" && value.isString()
                && !QRegularExpression(arg.toString()).match(value.toString()).hasMatch()) {
                fault("does not match " + arg.toString().toStdString());
            } else if (key == "allOf") {
                for (const QJsonValue& part : arg.toArray())
                    run(part, value, where, evaluated, faults);
            } else if (key == "oneOf") {
                int matches = 0;
                for (const QJsonValue& part : arg.toArray()) {
                    std::set<QString> taken;
                    Faults partFaults;
                    if (run(part, value, where, taken, partFaults)) {
                        ++matches;
                        evaluated.insert(taken.begin(), taken.end());
                    }
                }
                if (matches != 1)
                    fault("matches " + std::to_string(matches) + " of oneOf");
            }
        }
        // Last, when every other keyword has said which keys it took.
        if (rules.contains("unevaluatedProperties") && value.isObject()) {
            for (auto it = object.begin(); it != object.end(); ++it) {
                if (!evaluated.contains(it.key())) {
                    std::set<QString> inner;
                    run(rules["unevaluatedProperties"], it.value(),
                        where + "/" + it.key().toStdString(), inner, faults);
                    evaluated.insert(it.key());
                }
            }
        }
        return faults.size() == before;
    }

private:
    const QJsonObject& m_root;
};

} // namespace

std::vector<std::string> JsonSchema::faults(const QJsonValue& value) const
{
    Faults faults;
    std::set<QString> evaluated;
    if (m_root.isEmpty())
        faults.push_back("the schema is empty");
    Check(m_root).run(m_root, value, "", evaluated, faults);
    return faults;
}

JsonSchema loadJsonSchema(const std::string& path)
{
    QFile file(QString::fromStdString(path));
    file.open(QIODevice::ReadOnly);
    return JsonSchema(QJsonDocument::fromJson(file.readAll()).object());
}

} // namespace simtest
