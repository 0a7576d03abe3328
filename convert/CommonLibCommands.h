#pragma once

#include "convert/CommandBuilder.h"
#include "convert/CommonLib.h"

// The program's command builder: TCommonLib's BuildCommandLine and the parameters it leaves behind.
class CommonLibCommands final : public CommandBuilder {
public:
    explicit CommonLibCommands(TCommonLib& commonLib) : m_commonLib(commonLib) {}

    std::string BuildCommandLine(const std::string& path) override {
        return m_commonLib.BuildCommandLine(path);
    }
    std::string TranscoderPath() const override { return m_commonLib.ConvertParameter.TranscoderPath; }
    std::string InputPath() const override { return m_commonLib.ConvertParameter.InputPath; }
    std::string CodecOption() const override { return m_commonLib.ConvertParameter.CodecOption; }
    std::string OutputExtension() const override { return m_commonLib.ConvertParameter.OutputExtension; }
    std::string OutputFolder() const override { return m_commonLib.ConvertParameter.OutputFolder; }

private:
    TCommonLib& m_commonLib;
};
