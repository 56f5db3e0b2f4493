#include "fake_report_platform.h"

#include <sstream>

namespace kolvart {

namespace {

std::string number(float value) {
    std::ostringstream out;
    out << value;
    return out.str();
}

const char* styleName(FontStyle style) {
    switch (style) {
    case FontStyle::Bold:
        return "bold";
    case FontStyle::Italic:
        return "italic";
    case FontStyle::Underline:
        return "underline";
    }
    return "?";
}

} // namespace

FakeReportPlatform::FakeReportPlatform(PrinterScript& script)
    : script_(script) {}

std::string FakeReportPlatform::quoted(const QString& text) {
    std::string result = "\"";
    for (const char c : text.toStdString()) {
        if (c == '\r')
            result += "\\r";
        else
            result += c;
    }
    return result + "\"";
}

void FakeReportPlatform::record(const std::string& entry) {
    if (script_.operations++ == script_.failAt)
        throw PrinterError("mislukt: " + entry);
    script_.log.push_back(entry);
}

void FakeReportPlatform::showPrinterDialog() {
    record("dialog");
}

void FakeReportPlatform::printLine(const std::vector<PrintItem>& items) {
    std::string entry = "print";
    QString pending;
    const auto flush = [&] {
        if (!pending.isEmpty())
            entry.append(" ").append(quoted(pending));
        pending.clear();
    };
    for (const PrintItem& item : items) {
        if (const auto* tab = std::get_if<TabTo>(&item)) {
            flush();
            entry.append(" Tab(").append(std::to_string(tab->column)).append(")");
        } else {
            pending += std::get<QString>(item);
        }
    }
    flush();
    record(entry);
}

QString FakeReportPlatform::fontName() {
    record("fontName -> " + quoted(script_.fontName));
    return script_.fontName;
}

void FakeReportPlatform::setFontName(const QString& name) {
    record("fontName = " + quoted(name));
}

void FakeReportPlatform::setFontSize(float points) {
    record("fontSize = " + number(points));
}

void FakeReportPlatform::setFontStyle(FontStyle style, bool on) {
    record(std::string(styleName(style)) + (on ? " = true" : " = false"));
}

void FakeReportPlatform::setHorizontalPosition(float x) {
    record("x = " + number(x));
}

void FakeReportPlatform::newPage() {
    record("newPage");
}

void FakeReportPlatform::endDocument() {
    if (script_.duringEndDocument)
        script_.duringEndDocument();
    record("endDocument");
}

void FakeReportPlatform::showMessage(const QString& text) {
    record("message " + quoted(text));
}

} // namespace kolvart
