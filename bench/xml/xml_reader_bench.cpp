// Parses a realistic 64 KiB settings document (hundreds of presets) with our reader and with
// tinyxml2 in the same run. Target: ours no slower, i.e. ParseSettings/Kestrel time divided by
// ParseSettings/Tinyxml2 time at most 1.0.
#include <benchmark/benchmark.h>
#include <tinyxml2.h>

#include <string>

#include "xml/xml_reader.h"

namespace {

std::string settingsDocument() {
    std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n<settings>\n"
                       "  <version>101</version>\n  <download>http://downloads.kestrel.invalid/customiser/setup-1.2.exe</download>\n"
                       "  <support>http://www.kestrel.invalid/support/</support>\n  <presets>\n";
    for (int i = 0; text.size() < 64 * 1024 - 400; ++i) {
        text += "    <preset>\n      <name>Preset " + std::to_string(i) + " &amp; friends</name>\n";
        text += "      <note>Paddles shift gears, pedals on the triggers.~Rumble medium; full steering range.</note>\n";
        text += "      <type>" + std::to_string(1 + i % 7) + "</type>\n";
        text += "      <file>http://presets.kestrel.invalid/files/preset-" + std::to_string(i) + ".bin</file>\n    </preset>\n";
    }
    text += "  </presets>\n</settings>\n";
    return text;
}

const std::string& document() {
    static const std::string text = settingsDocument();
    return text;
}

void ParseSettingsKestrel(benchmark::State& state) {
    const std::string& text = document();
    for (auto _ : state) {
        kestrel::XmlResults results;
        kestrel::XmlNode settings = kestrel::parseXml(text, "settings", results);
        benchmark::DoNotOptimize(settings.childByName("presets").countChildren("preset"));
        if (results.error != kestrel::kXmlNoError) state.SkipWithError("parse failed");
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

void ParseSettingsTinyxml2(benchmark::State& state) {
    const std::string& text = document();
    for (auto _ : state) {
        tinyxml2::XMLDocument xml;
        if (xml.Parse(text.data(), text.size()) != tinyxml2::XML_SUCCESS) state.SkipWithError("parse failed");
        int presets = 0;
        for (auto* p = xml.FirstChildElement("settings")->FirstChildElement("presets")->FirstChildElement("preset"); p != nullptr;
             p = p->NextSiblingElement("preset")) {
            ++presets;
        }
        benchmark::DoNotOptimize(presets);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

BENCHMARK(ParseSettingsKestrel);
BENCHMARK(ParseSettingsTinyxml2);

}  // namespace

BENCHMARK_MAIN();
