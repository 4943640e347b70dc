// A live Calc document as the engine's spreadsheet: its sheets, the status
// bar of its window and its toolbar standing in for the command bar.
#include <com/sun/star/awt/Point.hpp>
#include <com/sun/star/awt/Size.hpp>
#include <com/sun/star/beans/NamedValue.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/container/XIndexContainer.hpp>
#include <com/sun/star/container/XNamed.hpp>
#include <com/sun/star/drawing/XControlShape.hpp>
#include <com/sun/star/drawing/XDrawPageSupplier.hpp>
#include <com/sun/star/drawing/XShape.hpp>
#include <com/sun/star/drawing/XShapes.hpp>
#include <com/sun/star/form/binding/XBindableValue.hpp>
#include <com/sun/star/form/binding/XValueBinding.hpp>
#include <com/sun/star/frame/XController.hpp>
#include <com/sun/star/frame/XFrame.hpp>
#include <com/sun/star/frame/XLayoutManager.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/lang/XMultiServiceFactory.hpp>
#include <com/sun/star/sheet/XCellRangeData.hpp>
#include <com/sun/star/sheet/XCellRangeFormula.hpp>
#include <com/sun/star/sheet/XNamedRange.hpp>
#include <com/sun/star/sheet/XSheetCellCursor.hpp>
#include <com/sun/star/sheet/XSheetCellRange.hpp>
#include <com/sun/star/table/XCellCursor.hpp>
#include <com/sun/star/sheet/XNamedRanges.hpp>
#include <com/sun/star/sheet/XSpreadsheets.hpp>
#include <com/sun/star/style/XStyleFamiliesSupplier.hpp>
#include <com/sun/star/container/XNameAccess.hpp>
#include <com/sun/star/table/CellAddress.hpp>
#include <com/sun/star/table/CellContentType.hpp>
#include <com/sun/star/table/XCell.hpp>
#include <com/sun/star/task/XStatusIndicatorFactory.hpp>
#include <com/sun/star/text/XTextRange.hpp>
#include <com/sun/star/ui/XUIConfigurationManager.hpp>
#include <com/sun/star/ui/XUIConfigurationManagerSupplier.hpp>
#include <com/sun/star/util/NumberFormat.hpp>
#include <com/sun/star/util/XCloseable.hpp>
#include <com/sun/star/util/XNumberFormatTypes.hpp>
#include <com/sun/star/util/XNumberFormatsSupplier.hpp>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>

#include "sheet/CalcAddin.h"
#include "sheet/CalcUno.h"
#include "sheet/FormulaText.h"

namespace qm::sheet {

using namespace calc;
using css::uno::Any;
using css::uno::Sequence;

namespace {


Reference<css::sheet::XSpreadsheet> SheetAt(const CalcDocument::Impl& d, int index) {
    Reference<css::container::XIndexAccess> sheets(d.document->getSheets(), UNO_QUERY_THROW);
    return Reference<css::sheet::XSpreadsheet>(sheets->getByIndex(index), UNO_QUERY_THROW);
}

Any ToAny(const CellValue& v) {
    if (const double* d = std::get_if<double>(&v)) return Any(*d);
    if (const auto* t = std::get_if<DateTime>(&v)) return Any(t->serial);
    if (const auto* s = std::get_if<std::string>(&v)) return Any(U(*s));
    return Any();
}

std::string NumberFormula(double v) {
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.17g", v);
    return buf;
}

sal_Int32 DateTimeFormat(const CalcDocument::Impl& d) {
    Reference<css::util::XNumberFormatsSupplier> supplier(d.document, UNO_QUERY_THROW);
    Reference<css::util::XNumberFormatTypes> types(supplier->getNumberFormats(), UNO_QUERY_THROW);
    return types->getStandardFormat(css::util::NumberFormat::DATETIME, css::lang::Locale());
}

Reference<css::beans::XPropertySet> FindScrollBar(const Reference<css::sheet::XSpreadsheet>& sheet,
                                                  const std::string& name) {
    Reference<css::drawing::XDrawPageSupplier> pages(sheet, UNO_QUERY_THROW);
    Reference<css::container::XIndexAccess> shapes(pages->getDrawPage(), UNO_QUERY_THROW);
    const rtl::OUString wanted = U(name);
    for (sal_Int32 i = 0; i < shapes->getCount(); ++i) {
        Reference<css::drawing::XControlShape> shape(shapes->getByIndex(i), UNO_QUERY);
        if (!shape.is()) continue;
        Reference<css::beans::XPropertySet> model(shape->getControl(), UNO_QUERY);
        Reference<css::container::XNamed> shapeName(shape, UNO_QUERY);
        rtl::OUString modelName;
        if (model.is()) model->getPropertyValue("Name") >>= modelName;
        if ((shapeName.is() && shapeName->getName() == wanted) || modelName == wanted) return model;
    }
    return {};
}

class CalcSheet : public Worksheet {
  public:
    CalcSheet(std::shared_ptr<CalcDocument::Impl> doc, int index,
              Reference<css::sheet::XSpreadsheet> sheet)
        : doc_(std::move(doc)), index_(index), sheet_(std::move(sheet)) {
        (void)Guard([&] { name_ = S(Reference<css::container::XNamed>(sheet_, UNO_QUERY_THROW)->getName()); });
    }

    std::string Name() const override { return name_; }

    // A row is written through a cursor that moves down the sheet: two calls
    // to the office per row (move, write), no objects made or released.
    SheetStatus WriteRow(int row, std::span<const CellValue> values) override {
        if (values.empty()) return SheetStatus::Ok();
        return Guard([&] {
            const int width = static_cast<int>(values.size());
            if (!rowCursor_.is() || rowWidth_ != width) {
                rowCursor_.clear();
                Reference<css::sheet::XSheetCellRange> range(
                    sheet_->getCellRangeByPosition(0, row - 1, width - 1, row - 1), UNO_QUERY_THROW);
                Reference<css::sheet::XSheetCellCursor> cursor = sheet_->createCursorByRange(range);
                rowData_.set(cursor, UNO_QUERY_THROW);
                rowCursor_.set(cursor, UNO_QUERY_THROW);
                rowWidth_ = width;
                cursorRow_ = row;
            } else if (cursorRow_ != row) {
                rowCursor_->gotoOffset(0, row - cursorRow_);
                cursorRow_ = row;
            }
            Sequence<Sequence<Any>> data(1);
            data.getArray()[0].realloc(width);
            Any* cells = data.getArray()[0].getArray();
            for (int i = 0; i < width; ++i) cells[i] = ToAny(values[static_cast<std::size_t>(i)]);
            rowData_->setDataArray(data);
        });
    }

    SheetStatus WriteCells(std::span<const CellWrite> cells) override {
        if (cells.empty()) return SheetStatus::Ok();
        return Guard([&] {
            if (!WriteColumnGroup(cells))
                for (const CellWrite& w : cells) WriteOne(w);
        });
    }

    SheetResult<CellValue> ReadCell(CellRef cell) override {
        CellValue value;
        const SheetStatus s = Guard([&] {
            Reference<css::table::XCell> c = sheet_->getCellByPosition(cell.column - 1, cell.row - 1);
            switch (c->getType()) {
                case css::table::CellContentType_VALUE:
                    value = c->getValue();
                    break;
                case css::table::CellContentType_TEXT:
                    value = S(Reference<css::text::XTextRange>(c, UNO_QUERY_THROW)->getString());
                    break;
                case css::table::CellContentType_FORMULA: {
                    sal_Int32 resultType = 0;
                    Reference<css::beans::XPropertySet>(c, UNO_QUERY_THROW)
                            ->getPropertyValue("FormulaResultType2") >>= resultType;
                    if (resultType == 1)  // a number
                        value = c->getValue();
                    else
                        value = S(Reference<css::text::XTextRange>(c, UNO_QUERY_THROW)->getString());
                    break;
                }
                default:
                    break;
            }
        });
        if (!s) return s;
        return value;
    }

    SheetStatus DefineName(const std::string& name, const std::string& formula) override {
        return Guard([&] {
            Reference<css::beans::XPropertySet> props(sheet_, UNO_QUERY_THROW);
            Reference<css::sheet::XNamedRanges> names(props->getPropertyValue("NamedRanges"),
                                                      UNO_QUERY_THROW);
            const rtl::OUString n = U(name);
            if (names->hasByName(n)) names->removeByName(n);
            css::table::CellAddress origin(static_cast<sal_Int16>(index_), 0, 0);
            names->addNewByName(n, U(ToCalcFormula(formula)), origin, 0);
        });
    }

    SheetResult<std::shared_ptr<Chart>> AddChart(const ChartSpec& spec) override {
        return MakeCalcChart(doc_, index_, name_, spec);
    }

    SheetStatus SetScrollBar(const std::string& shapeName,
                             const ScrollBarSettings& b) override {
        return Guard([&] {
            Reference<css::beans::XPropertySet> model = FindScrollBar(sheet_, shapeName);
            if (!model.is())
                throw css::uno::RuntimeException(U("The item with the specified name wasn't found."));
            model->setPropertyValue("ScrollValueMin", Any(sal_Int32(b.minimum)));
            model->setPropertyValue("ScrollValueMax", Any(sal_Int32(b.maximum)));
            model->setPropertyValue("LineIncrement", Any(sal_Int32(b.smallChange)));
            model->setPropertyValue("BlockIncrement", Any(sal_Int32(b.largeChange)));
            model->setPropertyValue("ScrollValue", Any(sal_Int32(b.value)));
            Reference<css::lang::XMultiServiceFactory> factory(doc_->document, UNO_QUERY_THROW);
            css::beans::NamedValue bound;
            bound.Name = "BoundCell";
            bound.Value <<= css::table::CellAddress(static_cast<sal_Int16>(index_),
                                                    b.linkedCell.column - 1, b.linkedCell.row - 1);
            Sequence<Any> args(1);
            args.getArray()[0] <<= bound;
            Reference<css::form::binding::XValueBinding> binding(
                factory->createInstanceWithArguments("com.sun.star.table.CellValueBinding", args),
                UNO_QUERY_THROW);
            Reference<css::form::binding::XBindableValue>(model, UNO_QUERY_THROW)->setValueBinding(binding);
        });
    }

    SheetStatus Release() override { return SheetStatus::Ok(); }

  private:
    // Numbers in one column a few rows apart (the counter cells) go in one
    // call: the cells between keep their content, read once.
    bool WriteColumnGroup(std::span<const CellWrite> cells) {
        const int column = cells.front().cell.column;
        int top = cells.front().cell.row, bottom = top;
        for (const CellWrite& w : cells) {
            if (w.cell.column != column || !std::holds_alternative<double>(w.value)) return false;
            top = std::min(top, w.cell.row);
            bottom = std::max(bottom, w.cell.row);
        }
        if (cells.size() < 2 || bottom - top > 7) return false;
        Group& g = groups_[{column, top, bottom}];
        if (!g.range.is()) {
            g.range.set(sheet_->getCellRangeByPosition(column - 1, top - 1, column - 1, bottom - 1),
                        UNO_QUERY_THROW);
            g.formulas = g.range->getFormulaArray();
        }
        for (const CellWrite& w : cells)
            g.formulas.getArray()[w.cell.row - top].getArray()[0] =
                U(NumberFormula(std::get<double>(w.value)));
        g.range->setFormulaArray(g.formulas);
        return true;
    }

    void WriteOne(const CellWrite& w) {
        // A cell written again and again (a counter) is kept at hand.
        Reference<css::table::XCell>& c = cellCache_[w.cell];
        if (!c.is()) c = sheet_->getCellByPosition(w.cell.column - 1, w.cell.row - 1);
        if (const double* d = std::get_if<double>(&w.value)) {
            c->setValue(*d);
        } else if (const auto* t = std::get_if<DateTime>(&w.value)) {
            c->setValue(t->serial);
            Reference<css::beans::XPropertySet>(c, UNO_QUERY_THROW)
                ->setPropertyValue("NumberFormat", Any(DateTimeFormat(*doc_)));
        } else if (const auto* s = std::get_if<std::string>(&w.value)) {
            Reference<css::text::XTextRange>(c, UNO_QUERY_THROW)->setString(U(*s));
        } else {
            c->setFormula(rtl::OUString());
        }
        // A cell written on its own may change what a group read before.
        for (auto it = groups_.begin(); it != groups_.end();) {
            const auto& [col, top, bottom] = it->first;
            if (col == w.cell.column && w.cell.row >= top && w.cell.row <= bottom)
                it = groups_.erase(it);
            else
                ++it;
        }
    }

    struct Group {
        Reference<css::sheet::XCellRangeFormula> range;
        Sequence<Sequence<rtl::OUString>> formulas;
    };

    std::shared_ptr<CalcDocument::Impl> doc_;
    int index_;
    Reference<css::sheet::XSpreadsheet> sheet_;
    std::string name_;
    std::map<std::tuple<int, int, int>, Group> groups_;
    std::map<CellRef, Reference<css::table::XCell>> cellCache_;
    Reference<css::table::XCellCursor> rowCursor_;
    Reference<css::sheet::XCellRangeData> rowData_;
    int rowWidth_ = 0;
    int cursorRow_ = 0;
};

// A picture of the logging sheet: its readings and its chart on one
// landscape page.
void FitFirstSheetOnOnePage(const CalcDocument::Impl& d) {
    Reference<css::beans::XPropertySet> sheet(SheetAt(d, 0), UNO_QUERY_THROW);
    rtl::OUString styleName;
    sheet->getPropertyValue("PageStyle") >>= styleName;
    Reference<css::style::XStyleFamiliesSupplier> families(d.document, UNO_QUERY_THROW);
    Reference<css::container::XNameAccess> pages(families->getStyleFamilies()->getByName("PageStyles"),
                                                 UNO_QUERY_THROW);
    Reference<css::beans::XPropertySet> style(pages->getByName(styleName), UNO_QUERY_THROW);
    sal_Int32 width = 0, height = 0;
    style->getPropertyValue("Width") >>= width;
    style->getPropertyValue("Height") >>= height;
    if (width < height) {
        style->setPropertyValue("IsLandscape", Any(true));
        style->setPropertyValue("Width", Any(height));
        style->setPropertyValue("Height", Any(width));
    }
    style->setPropertyValue("ScaleToPagesX", Any(sal_Int16(1)));
    style->setPropertyValue("ScaleToPagesY", Any(sal_Int16(1)));
}

Reference<css::frame::XFrame> FrameOf(const CalcDocument::Impl& d) {
    Reference<css::frame::XModel> model(d.document, UNO_QUERY_THROW);
    Reference<css::frame::XController> controller = model->getCurrentController();
    if (!controller.is()) return {};
    return controller->getFrame();
}

Reference<css::ui::XUIConfigurationManager> UiConfiguration(const CalcDocument::Impl& d) {
    Reference<css::ui::XUIConfigurationManagerSupplier> supplier(d.document, UNO_QUERY_THROW);
    return supplier->getUIConfigurationManager();
}

css::beans::PropertyValue Property(const char* name, Any value) {
    css::beans::PropertyValue p;
    p.Name = rtl::OUString::createFromAscii(name);
    p.Value = std::move(value);
    return p;
}

}  // namespace

std::shared_ptr<Worksheet> MakeCalcSheet(std::shared_ptr<CalcDocument::Impl> document, int index,
                                         Reference<css::sheet::XSpreadsheet> sheet) {
    return std::make_shared<CalcSheet>(std::move(document), index, std::move(sheet));
}

CalcDocument::CalcDocument(std::shared_ptr<Impl> impl) : impl_(std::move(impl)) {}

CalcDocument::~CalcDocument() = default;

SheetResult<std::shared_ptr<Worksheet>> CalcDocument::Sheet(int index) {
    Reference<css::sheet::XSpreadsheet> sheet;
    const SheetStatus s = Guard([&] { sheet = SheetAt(*impl_, index); });
    if (!s) return s;
    return MakeCalcSheet(impl_, index, sheet);
}

int CalcDocument::SheetCount() {
    int count = 0;
    (void)Guard([&] {
        count = Reference<css::container::XIndexAccess>(impl_->document->getSheets(), UNO_QUERY_THROW)
                    ->getCount();
    });
    return count;
}

SheetStatus CalcDocument::SaveAs(const std::string& path) {
    return Guard([&] {
        const std::string ext = std::filesystem::path(path).extension().string();
        const char* filter = ext == ".xlsx" ? "Calc MS Excel 2007 XML"
                             : ext == ".pdf" ? "calc_pdf_Export"
                                             : "calc8";
        if (ext == ".pdf") FitFirstSheetOnOnePage(*impl_);
        Sequence<css::beans::PropertyValue> args(2);
        args.getArray()[0] = Property("FilterName", Any(rtl::OUString::createFromAscii(filter)));
        args.getArray()[1] = Property("Overwrite", Any(true));
        Reference<css::frame::XStorable>(impl_->document, UNO_QUERY_THROW)
            ->storeToURL(U("file://" + std::filesystem::absolute(path).string()), args);
    });
}

SheetStatus CalcDocument::Close() {
    return Guard([&] {
        Reference<css::util::XCloseable> closeable(impl_->document, UNO_QUERY);
        if (closeable.is()) closeable->close(true);
        impl_->document.clear();
        impl_->component.clear();
    });
}

SheetStatus CalcDocument::AddScrollBar(int sheetIndex, const std::string& name, CellRef anchor) {
    return Guard([&] {
        Reference<css::sheet::XSpreadsheet> sheet = SheetAt(*impl_, sheetIndex);
        Reference<css::lang::XMultiServiceFactory> factory(impl_->document, UNO_QUERY_THROW);
        Reference<css::drawing::XControlShape> shape(
            factory->createInstance("com.sun.star.drawing.ControlShape"), UNO_QUERY_THROW);
        Reference<css::beans::XPropertySet> model(
            factory->createInstance("com.sun.star.form.component.ScrollBar"), UNO_QUERY_THROW);
        model->setPropertyValue("Name", Any(U(name)));
        model->setPropertyValue("Orientation", Any(sal_Int32(0)));  // horizontal
        Reference<css::beans::XPropertySet> cell(
            sheet->getCellByPosition(anchor.column - 1, anchor.row - 1), UNO_QUERY_THROW);
        css::awt::Point at;
        cell->getPropertyValue("Position") >>= at;
        shape->setPosition(at);
        shape->setSize(css::awt::Size(5000, 450));
        shape->setControl(Reference<css::awt::XControlModel>(model, UNO_QUERY_THROW));
        Reference<css::drawing::XDrawPageSupplier> pages(sheet, UNO_QUERY_THROW);
        Reference<css::drawing::XShapes>(pages->getDrawPage(), UNO_QUERY_THROW)
            ->add(Reference<css::drawing::XShape>(shape, UNO_QUERY_THROW));
        Reference<css::container::XNamed>(shape, UNO_QUERY_THROW)->setName(U(name));
    });
}

std::string CalcDocument::Version() { return impl_->version; }

SheetStatus CalcDocument::SetStatusBar(const std::string& text) {
    return Guard([&] {
        if (!impl_->status.is()) {
            Reference<css::frame::XFrame> frame = FrameOf(*impl_);
            Reference<css::task::XStatusIndicatorFactory> factory(frame, UNO_QUERY);
            if (!factory.is()) throw css::uno::RuntimeException(U("The document has no window."));
            impl_->status = factory->createStatusIndicator();
            impl_->status->start(U(text), 0);
        } else {
            impl_->status->setText(U(text));
        }
        impl_->statusText = text;
    });
}

const std::string& CalcDocument::statusText() const { return impl_->statusText; }

SheetStatus CalcDocument::SetCommandBar(const std::string& barName,
                                        std::span<const CommandBarControl> controls) {
    return Guard([&] {
        Reference<css::ui::XUIConfigurationManager> ui = UiConfiguration(*impl_);
        Reference<css::container::XIndexContainer> items(ui->createSettings(), UNO_QUERY_THROW);
        Reference<css::beans::XPropertySet>(items, UNO_QUERY_THROW)
            ->setPropertyValue("UIName", Any(U(barName)));
        sal_Int32 index = 0;
        for (const CommandBarControl& c : controls) items->insertByIndex(index++, Any(ToolbarItem(c)));
        const rtl::OUString url = U(AddinToolbarUrl());
        if (ui->hasSettings(url))
            ui->replaceSettings(url, Reference<css::container::XIndexAccess>(items, UNO_QUERY_THROW));
        else
            ui->insertSettings(url, Reference<css::container::XIndexAccess>(items, UNO_QUERY_THROW));
        // Shown in the document's window, when it has one.
        Reference<css::frame::XFrame> frame = FrameOf(*impl_);
        Reference<css::beans::XPropertySet> frameProps(frame, UNO_QUERY);
        if (frameProps.is()) {
            Reference<css::frame::XLayoutManager> layout(frameProps->getPropertyValue("LayoutManager"),
                                                         UNO_QUERY);
            if (layout.is()) {
                if (!layout->getElement(url).is()) layout->createElement(url);
                layout->showElement(url);
            }
        }
    });
}

SheetResult<std::vector<CommandBarControl>> CalcDocument::CommandBar(const std::string& barName) {
    std::vector<CommandBarControl> controls;
    const SheetStatus s = Guard([&] {
        Reference<css::ui::XUIConfigurationManager> ui = UiConfiguration(*impl_);
        Reference<css::container::XIndexAccess> items =
            ui->getSettings(U(AddinToolbarUrl()), false);
        rtl::OUString uiName;
        Reference<css::beans::XPropertySet>(items, UNO_QUERY_THROW)->getPropertyValue("UIName") >>= uiName;
        if (S(uiName) != barName) throw css::uno::RuntimeException(U("no toolbar " + barName));
        controls = ToolbarControls(items);
    });
    if (!s) return s;
    return controls;
}

SheetResult<std::string> CalcDocument::Evaluate(int sheetIndex, const std::string& calcFormula) {
    std::string result;
    const SheetStatus s = Guard([&] {
        Reference<css::sheet::XSpreadsheet> sheet = SheetAt(*impl_, sheetIndex);
        // A fresh spare cell far from the logging area each time: a cell
        // keeps the number format its last result chose (TRUE would make
        // the next number read TRUE too).
        Reference<css::table::XCell> cell = sheet->getCellByPosition(60, impl_->spareRow++ % 1000);
        cell->setFormula(U(calcFormula));
        result = S(Reference<css::text::XTextRange>(cell, UNO_QUERY_THROW)->getString());
        cell->setFormula(rtl::OUString());
    });
    if (!s) return s;
    return result;
}

SheetResult<std::string> CalcDocument::NameContent(int sheetIndex, const std::string& name) {
    std::string content;
    const SheetStatus s = Guard([&] {
        Reference<css::beans::XPropertySet> props(SheetAt(*impl_, sheetIndex), UNO_QUERY_THROW);
        Reference<css::container::XNameAccess> names(props->getPropertyValue("NamedRanges"),
                                                     UNO_QUERY_THROW);
        Reference<css::sheet::XNamedRange> range(names->getByName(U(name)), UNO_QUERY_THROW);
        content = S(range->getContent());
    });
    if (!s) return s;
    return content;
}

SheetResult<std::vector<std::string>> CalcDocument::ChartSeries(int sheetIndex) {
    return CalcChartSeries(impl_, sheetIndex, nullptr);
}

SheetResult<std::string> CalcDocument::ChartType(int sheetIndex) {
    std::string type;
    auto r = CalcChartSeries(impl_, sheetIndex, &type);
    if (!r) return r.status();
    return type;
}

SheetResult<ScrollBarSettings> CalcDocument::ScrollBar(int sheetIndex, const std::string& name) {
    ScrollBarSettings b;
    const SheetStatus s = Guard([&] {
        Reference<css::beans::XPropertySet> model = FindScrollBar(SheetAt(*impl_, sheetIndex), name);
        if (!model.is()) throw css::uno::RuntimeException(U("no scroll bar " + name));
        sal_Int32 v = 0;
        model->getPropertyValue("ScrollValueMin") >>= v;
        b.minimum = v;
        model->getPropertyValue("ScrollValueMax") >>= v;
        b.maximum = v;
        model->getPropertyValue("LineIncrement") >>= v;
        b.smallChange = v;
        model->getPropertyValue("BlockIncrement") >>= v;
        b.largeChange = v;
        model->getPropertyValue("ScrollValue") >>= v;
        b.value = v;
        Reference<css::form::binding::XBindableValue> bindable(model, UNO_QUERY_THROW);
        Reference<css::beans::XPropertySet> binding(bindable->getValueBinding(), UNO_QUERY);
        if (binding.is()) {
            css::table::CellAddress cell;
            binding->getPropertyValue("BoundCell") >>= cell;
            b.linkedCell = {static_cast<int>(cell.Row) + 1, static_cast<int>(cell.Column) + 1};
        } else {
            b.linkedCell = {0, 0};
        }
    });
    if (!s) return s;
    return b;
}

}  // namespace qm::sheet
