#pragma once

#include "analysis/SampleSource.h"

#include <memory>

#include <QUrl>

class Mp3Decoder;

// The samples of an MP3 file, decoded with its own decoder so that several analyses of one
// file can run at once.
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
