#pragma once
// Numbered picture sequences ("clip1.jpg", "clip2.jpg", ...), which the image-sequence profiles
// write through the image muxer. Every front end and the task layer name them here: a task stores
// the first picture's name as its target, the converter is given the numbered pattern.
#include <QString>

namespace vc {

class TAVConvertOptions;
class TAVProfile;

// After `profile`'s Apply: for an image-sequence profile, the image muxer (".gif" alone would
// pick the animated GIF muxer) and, for GIF pictures, the GIF encoder (the image muxer has no
// encoder of its own for ".gif"). Other profiles leave the options as they are.
void PrepareImageSequenceOptions(const TAVProfile& profile, TAVConvertOptions* options);

// The options write a numbered sequence.
bool WritesImageSequence(const TAVConvertOptions& options);

// The file name the converter writes `target` to: for a sequence, the numbered pattern of
// ImageSequencePattern ("/out/clip1.jpg" -> "/out/clip%d.jpg") with the first number set in the
// options ("start_number"); any other target unchanged.
QString ImageSequenceOutputName(const QString& target, TAVConvertOptions* options);

} // namespace vc
