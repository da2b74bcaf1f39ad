#pragma once

#include "analysis/SampleSource.h"
#include "decoder/Mp3Decoder.h"

#include <memory>

#include <QUrl>

// The samples of an MP3 file, decoded with its own decoder so that several analyses of one
// file can run at once. It opens the file as the player does, so that every analysis reads
// the samples that are heard.
class Mp3SampleSource : public SampleSource
{
public:
    explicit Mp3SampleSource(QUrl url);
    ~Mp3SampleSource() override;

    bool open() override;
    AudioFormat format() const override;
    double duration() const override;
    std::span<const float> nextBuffer() override;

private:
    QUrl m_url;
    std::unique_ptr<Mp3Decoder> m_decoder;
};
