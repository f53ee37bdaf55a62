// Feeds arbitrary bytes to the XML reader as a stored conversion request and as a configuration
// file. Besides crashes and sanitizer reports it checks that what the reader accepted is stable:
// after one write and read, writing and reading again must give the same document.
#include "model/persistence/omni_xml_reader.h"
#include "model/persistence/omni_xml_writer.h"
#include "model/settings/configuration.h"
#include "model/settings/conversion_settings.h"
#include "platform/message_sink.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

// Setters report rejected values as message boxes; the fuzzer has no use for them.
class SilentSink final : public vc::MessageSink {
public:
    void Show(vc::MessageKind, const std::string&, const std::string&) override {}
    bool Confirm(const std::string&, const std::string&) override { return false; }
};

template <typename T> bool Load(T& object, std::string_view text) {
    try {
        vc::TOmniXMLReader::LoadFromText(&object, text);
        return true;
    } catch (const vc::Error&) {
        return false; // a rejected document is a correct answer
    }
}

template <typename T> void CheckStable(std::string_view input) {
    T first;
    if (!Load(first, input))
        return;
    const std::string text1 = vc::TOmniXMLWriter::SaveToText(&first);
    T second;
    if (!Load(second, text1)) {
        std::fprintf(stderr, "a written document was rejected:\n%s\n", text1.c_str());
        std::abort();
    }
    const std::string text2 = vc::TOmniXMLWriter::SaveToText(&second);
    T third;
    Load(third, text2);
    const std::string text3 = vc::TOmniXMLWriter::SaveToText(&third);
    if (text2 != text3) {
        std::fprintf(stderr, "unstable round trip:\n%s\n%s\n", text2.c_str(), text3.c_str());
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static SilentSink sink;
    static const bool installed = (vc::InstallMessageSink(&sink), true);
    (void)installed;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    CheckStable<vc::TConversionSettings>(input);
    CheckStable<vc::TAVConfiguration>(input);
    return 0;
}
