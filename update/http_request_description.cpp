#include "http_request_description.h"

HttpRequestSpec::HttpRequestSpec(const QString& url, const QString& method)
    : url(url)
    , method(method)
{
}

void HttpRequestSpec::addVariable(const QString& key, const QString& value)
{
    for (auto& variable : m_variables) {
        if (variable.first == key) {
            variable.second = value;
            return;
        }
    }
    m_variables.append(qMakePair(key, value));
}

void HttpRequestSpec::addFile(const QString& variableName, const QString& localPath, const QString& requestName,
                              const QString& mimeType)
{
    m_files.append({variableName, localPath, requestName, mimeType});
}

HttpRequestSpec::Layout HttpRequestSpec::effectiveLayout() const
{
    if (!m_files.isEmpty())
        return Multipart;
    if (layout != NotSet)
        return layout;
    if (method == QLatin1String("GET") || method == QLatin1String("HEAD"))
        return Address;
    return UrlEncoded;
}
