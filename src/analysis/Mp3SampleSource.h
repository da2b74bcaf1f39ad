#pragma once

#include "analysis/SampleSource.h"
#include "platform/Mp3Decoder.h"

#include <memory>

#include <QUrl>

// The samples of an MP3 file, decoded with its own decoder so that several analyses of one
// file can run at once.
class Mp3SampleSource : public SampleSource
{
public:
    // An analysis that does not use the duration opens with an estimated length, faster.
    explicit Mp3SampleSource(QUrl url, Mp3Decoder::Length length = Mp3Decoder::Length::Exact);
    ~Mp3SampleSource() override;

    bool open() override;
    AudioFormat format() const override;
    double duration() const override;
    std::span<const float> nextBuffer() override;

private:
    QUrl m_url;
    Mp3Decoder::Length m_length;
    std::unique_ptr<Mp3Decoder> m_decoder;
};
