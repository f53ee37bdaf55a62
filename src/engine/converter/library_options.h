#pragma once
// The converter's option contexts and dictionaries: how free-form "name=value" codec options
// reach the libraries. A name known to the codec options goes into the codec-option dictionary,
// one known to the format options into the format-option dictionary, one known to the scaler is
// set on the scaler default context.
#include "engine/media/ff_handles.h"

#include <string>

namespace vc {

class LibraryOptions {
public:
    explicit LibraryOptions(int scaler_flags);
    LibraryOptions(const LibraryOptions&) = delete;
    LibraryOptions& operator=(const LibraryOptions&) = delete;

    // Clears the dictionaries and creates the default contexts anew.
    void Reset();

    // Files one option; see the class comment. Unknown names are dropped without a message.
    void SetLibraryOption(const std::string& name, const std::string& value);

    // The entries of `dict` that apply to a codec (an encoder when `encoder`): names the codec
    // options or the codec's private options know for its media type, and names with the media
    // type's prefix letter ("vb" for a video encoder's "b") under the name without the letter.
    Dictionary FilterCodecOptions(const AVDictionary* dict, AVCodecID codec_id, bool encoder) const;

    Dictionary& codec_options() { return codec_options_; }
    Dictionary& format_options() { return format_options_; }
    // The "sws_flags" value of the scaler default context.
    int ScalerFlagsValue() const;

private:
    // Codec and format options are looked up on the libraries' option classes (every codec's
    // and format's private options included), so no default contexts are needed for them.
    int scaler_flags_;
    SwsContextPtr scaler_defaults_;
    Dictionary codec_options_;
    Dictionary format_options_;
};

} // namespace vc
