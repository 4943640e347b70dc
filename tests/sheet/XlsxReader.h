#pragma once
// Reading an .xlsx file back in tests: the parts of the zip archive as text
// and the few things the tests look at in them.
#include <minizip/unzip.h>

#include <map>
#include <optional>
#include <regex>
#include <string>

namespace qm::test {

class XlsxReader {
  public:
    explicit XlsxReader(const std::string& path) {
        unzFile zip = unzOpen(path.c_str());
        if (!zip) return;
        for (int r = unzGoToFirstFile(zip); r == UNZ_OK; r = unzGoToNextFile(zip)) {
            char name[512] = {};
            unz_file_info info{};
            if (unzGetCurrentFileInfo(zip, &info, name, sizeof name - 1, nullptr, 0, nullptr, 0) != UNZ_OK)
                break;
            if (unzOpenCurrentFile(zip) != UNZ_OK) break;
            std::string data(info.uncompressed_size, '\0');
            const int got = unzReadCurrentFile(zip, data.data(), static_cast<unsigned>(data.size()));
            unzCloseCurrentFile(zip);
            if (got >= 0) data.resize(static_cast<std::size_t>(got));
            parts_[name] = std::move(data);
        }
        unzClose(zip);
        ok_ = !parts_.empty();
    }
    bool ok() const { return ok_; }
    std::string Part(const std::string& name) const {
        const auto it = parts_.find(name);
        return it == parts_.end() ? std::string() : it->second;
    }
    bool Has(const std::string& name) const { return parts_.count(name) > 0; }

    // The value of a cell of the first sheet as text ("" when absent).
    std::string Cell(const std::string& a1, const std::string& sheet = "xl/worksheets/sheet1.xml") const {
        const std::string xml = Part(sheet);
        const std::regex cell("<c r=\"" + a1 + "\"[^>]*>(.*?)</c>");
        std::smatch m;
        if (!std::regex_search(xml, m, cell)) return {};
        const std::string inner = m[1];
        std::smatch v;
        if (std::regex_search(inner, v, std::regex("<t[^>]*>(.*?)</t>"))) return v[1];
        if (std::regex_search(inner, v, std::regex("<v>(.*?)</v>"))) return v[1];
        return {};
    }
    // name -> formula of the workbook's sheet-scoped names.
    std::map<std::string, std::string> Names() const {
        std::map<std::string, std::string> names;
        const std::string xml = Part("xl/workbook.xml");
        const std::regex defined("<definedName name=\"([^\"]+)\"[^>]*>(.*?)</definedName>");
        for (auto it = std::sregex_iterator(xml.begin(), xml.end(), defined); it != std::sregex_iterator(); ++it)
            names[(*it)[1]] = (*it)[2];
        return names;
    }
    // Every <c:f> reference of the first chart, in order.
    std::vector<std::string> ChartReferences() const {
        std::vector<std::string> refs;
        const std::string xml = Part("xl/charts/chart1.xml");
        const std::regex f("<c:f>(.*?)</c:f>");
        for (auto it = std::sregex_iterator(xml.begin(), xml.end(), f); it != std::sregex_iterator(); ++it)
            refs.push_back((*it)[1]);
        return refs;
    }

  private:
    std::map<std::string, std::string> parts_;
    bool ok_ = false;
};

}  // namespace qm::test
