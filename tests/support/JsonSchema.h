#pragma once

#include <QJsonObject>
#include <QJsonValue>

#include <string>
#include <vector>

namespace simtest {

// Checks JSON against a JSON Schema (draft 2020-12) that uses only these keywords: $ref (to
// #/$defs/...), type, const, enum, properties, required, additionalProperties,
// unevaluatedProperties, items, minimum, pattern, allOf and oneOf; title, description, $schema,
// $id and $defs are read as notes. Any other keyword is a fault, so that a schema never passes
// a document for a rule the check does not know.
class JsonSchema
{
public:
    explicit JsonSchema(QJsonObject root) : m_root(std::move(root)) { }
    // The faults of the value, each with its place ("/results/0/port: ..."); none when it
    // conforms.
    std::vector<std::string> faults(const QJsonValue& value) const;

private:
    QJsonObject m_root;
};

// The schema in the file; an empty one (which every check faults for) when it does not parse.
JsonSchema loadJsonSchema(const std::string& path);

} // namespace simtest
