// Charts in a live Calc document. Calc does not follow a name used as a
// series range, so the chart keeps cell ranges that the engine moves as the
// readings grow (one call to the office per move).
#include <com/sun/star/awt/Point.hpp>
#include <com/sun/star/awt/Rectangle.hpp>
#include <com/sun/star/chart/ChartAxisAssign.hpp>
#include <com/sun/star/chart/ChartAxisLabelPosition.hpp>
#include <com/sun/star/chart/ChartSymbolType.hpp>
#include <com/sun/star/chart/XAxisXSupplier.hpp>
#include <com/sun/star/chart/XChartDocument.hpp>
#include <com/sun/star/chart/XDiagram.hpp>
#include <com/sun/star/chart2/XChartDocument.hpp>
#include <com/sun/star/chart2/XChartTypeContainer.hpp>
#include <com/sun/star/chart2/XCoordinateSystemContainer.hpp>
#include <com/sun/star/chart2/XDataSeriesContainer.hpp>
#include <com/sun/star/chart2/data/XDataSource.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/container/XNamed.hpp>
#include <com/sun/star/document/XEmbeddedObjectSupplier.hpp>
#include <com/sun/star/lang/XMultiServiceFactory.hpp>
#include <com/sun/star/sheet/XSpreadsheets.hpp>
#include <com/sun/star/table/CellRangeAddress.hpp>
#include <com/sun/star/table/XTableChart.hpp>
#include <com/sun/star/table/XTableCharts.hpp>
#include <com/sun/star/table/XTableChartsSupplier.hpp>

#include <algorithm>

#include "sheet/CalcUno.h"

namespace qm::sheet {

using namespace calc;
using css::uno::Any;
using css::uno::Sequence;

namespace {

class CalcChart : public Chart {
  public:
    CalcChart(Reference<css::table::XTableChart> chart, sal_Int16 dataSheet, int firstColumn,
              int lastColumn, int headerRow)
        : chart_(std::move(chart)),
          sheet_(dataSheet),
          firstColumn_(firstColumn),
          lastColumn_(lastColumn),
          headerRow_(headerRow) {}

    SheetStatus ShowRows(int firstRow, int lastRow) override {
        return Guard([&] { chart_->setRanges(Ranges(firstRow, lastRow)); });
    }

    // The heading row and the data rows of the series' columns: one range
    // while they touch, two when the strip chart has moved on.
    Sequence<css::table::CellRangeAddress> Ranges(int firstRow, int lastRow) const {
        const sal_Int32 c0 = firstColumn_ - 1, c1 = lastColumn_ - 1;
        if (firstRow <= headerRow_ + 1) {
            Sequence<css::table::CellRangeAddress> one(1);
            one.getArray()[0] = css::table::CellRangeAddress(sheet_, c0, headerRow_ - 1, c1, lastRow - 1);
            return one;
        }
        Sequence<css::table::CellRangeAddress> two(2);
        two.getArray()[0] = css::table::CellRangeAddress(sheet_, c0, headerRow_ - 1, c1, headerRow_ - 1);
        two.getArray()[1] = css::table::CellRangeAddress(sheet_, c0, firstRow - 1, c1, lastRow - 1);
        return two;
    }

  private:
    Reference<css::table::XTableChart> chart_;
    sal_Int16 sheet_;
    int firstColumn_, lastColumn_, headerRow_;
};

Reference<css::container::XIndexAccess> Sheets(const CalcDocument::Impl& d) {
    return Reference<css::container::XIndexAccess>(d.document->getSheets(), UNO_QUERY_THROW);
}

// The sheet that carries the chart of a data sheet: the data sheet itself,
// or one of its own named after the chart.
Reference<css::table::XTableCharts> ChartsOf(const CalcDocument::Impl& d, int index) {
    Reference<css::table::XTableChartsSupplier> supplier(Sheets(d)->getByIndex(index), UNO_QUERY_THROW);
    return supplier->getCharts();
}

void StyleChart(const Reference<css::table::XTableChart>& table, int secondaries) {
    Reference<css::document::XEmbeddedObjectSupplier> embedded(table, UNO_QUERY_THROW);
    Reference<css::chart::XChartDocument> chart(embedded->getEmbeddedObject(), UNO_QUERY_THROW);
    Reference<css::lang::XMultiServiceFactory> factory(chart, UNO_QUERY_THROW);
    chart->setDiagram(Reference<css::chart::XDiagram>(
        factory->createInstance("com.sun.star.chart.LineDiagram"), UNO_QUERY_THROW));
    Reference<css::beans::XPropertySet> diagram(chart->getDiagram(), UNO_QUERY_THROW);
    diagram->setPropertyValue("SymbolType", Any(css::chart::ChartSymbolType::AUTO));
    if (secondaries > 0) {
        diagram->setPropertyValue("HasSecondaryYAxis", Any(true));
        for (int i = 1; i <= secondaries; ++i)
            chart->getDiagram()->getDataRowProperties(i)->setPropertyValue(
                "Axis", Any(css::chart::ChartAxisAssign::SECONDARY_Y));
    }
    // Category labels below the plot, whatever the values' sign.
    Reference<css::chart::XAxisXSupplier> axes(chart->getDiagram(), UNO_QUERY);
    if (axes.is()) {
        Reference<css::beans::XPropertySet> x(axes->getXAxis(), UNO_QUERY);
        if (x.is())
            x->setPropertyValue("LabelPosition",
                                Any(css::chart::ChartAxisLabelPosition_OUTSIDE_START));
    }
    Reference<css::beans::XPropertySet>(chart, UNO_QUERY_THROW)->setPropertyValue("HasMainTitle", Any(false));
}

}  // namespace

SheetResult<std::shared_ptr<Chart>> MakeCalcChart(const std::shared_ptr<CalcDocument::Impl>& doc,
                                                  int sheetIndex, const std::string& sheetName,
                                                  const ChartSpec& spec) {
    std::shared_ptr<CalcChart> made;
    const SheetStatus s = Guard([&] {
        int first = spec.first.valuesColumn, last = first;
        for (const ChartSeries& extra : spec.secondary) {
            first = std::min(first, extra.valuesColumn);
            last = std::max(last, extra.valuesColumn);
        }
        const int headerRow = spec.first.nameCell.row;
        int home = sheetIndex;
        css::awt::Rectangle place(1000, 1000, 16000, 9000);
        std::string chartName = spec.name.empty() ? "DmmChart" : spec.name;
        if (spec.onDataSheet) {
            Reference<css::sheet::XSpreadsheet> data(Sheets(*doc)->getByIndex(sheetIndex), UNO_QUERY_THROW);
            Reference<css::beans::XPropertySet> anchor(
                data->getCellByPosition(spec.anchor.column - 1, spec.anchor.row - 1), UNO_QUERY_THROW);
            css::awt::Point at;
            anchor->getPropertyValue("Position") >>= at;
            place = css::awt::Rectangle(at.X, at.Y, 16000, 9000);
        } else {
            // A sheet of its own after the data sheet, as a chart sheet would be.
            Reference<css::sheet::XSpreadsheets> sheets = doc->document->getSheets();
            std::string name = sheetName + " Chart";
            for (int n = 2; sheets->hasByName(U(name)); ++n) name = sheetName + " Chart " + std::to_string(n);
            sheets->insertNewByName(U(name), static_cast<sal_Int16>(sheetIndex + 1));
            home = sheetIndex + 1;
            place = css::awt::Rectangle(500, 500, 25000, 15000);
        }
        Reference<css::table::XTableCharts> charts = ChartsOf(*doc, home);
        for (int n = 2; charts->hasByName(U(chartName)); ++n)
            chartName = (spec.name.empty() ? "DmmChart" : spec.name) + std::to_string(n);
        made = std::make_shared<CalcChart>(Reference<css::table::XTableChart>(), static_cast<sal_Int16>(sheetIndex),
                                           first, last, headerRow);
        charts->addNewByName(U(chartName), place, made->Ranges(spec.firstRow, spec.lastRow),
                             /*columnHeaders=*/true, /*rowHeaders=*/false);
        Reference<css::table::XTableChart> table(charts->getByName(U(chartName)), UNO_QUERY_THROW);
        StyleChart(table, static_cast<int>(spec.secondary.size()));
        made = std::make_shared<CalcChart>(table, static_cast<sal_Int16>(sheetIndex), first, last,
                                           headerRow);
    });
    if (!s) return s;
    return std::shared_ptr<Chart>(made);
}

SheetResult<std::vector<std::string>> CalcChartSeries(const std::shared_ptr<CalcDocument::Impl>& doc,
                                                      int sheetIndex, std::string* chartType) {
    std::vector<std::string> out;
    const SheetStatus s = Guard([&] {
        Reference<css::container::XIndexAccess> charts(ChartsOf(*doc, sheetIndex), UNO_QUERY_THROW);
        if (charts->getCount() == 0) throw css::uno::RuntimeException(U("the sheet has no chart"));
        Reference<css::document::XEmbeddedObjectSupplier> embedded(charts->getByIndex(0), UNO_QUERY_THROW);
        Reference<css::chart2::XChartDocument> chart(embedded->getEmbeddedObject(), UNO_QUERY_THROW);
        Reference<css::chart2::XCoordinateSystemContainer> systems(chart->getFirstDiagram(), UNO_QUERY_THROW);
        for (const auto& system : systems->getCoordinateSystems()) {
            Reference<css::chart2::XChartTypeContainer> types(system, UNO_QUERY_THROW);
            for (const auto& type : types->getChartTypes()) {
                if (chartType) *chartType = S(type->getChartType());
                Reference<css::chart2::XDataSeriesContainer> series(type, UNO_QUERY_THROW);
                for (const auto& one : series->getDataSeries()) {
                    sal_Int32 axis = 0;
                    Reference<css::beans::XPropertySet>(one, UNO_QUERY_THROW)
                        ->getPropertyValue("AttachedAxisIndex") >>= axis;
                    Reference<css::chart2::data::XDataSource> source(one, UNO_QUERY_THROW);
                    for (const auto& sequence : source->getDataSequences()) {
                        const std::string label =
                            sequence->getLabel().is() ? S(sequence->getLabel()->getSourceRangeRepresentation())
                                                      : std::string("-");
                        out.push_back(label + " " + S(sequence->getValues()->getSourceRangeRepresentation()) +
                                      " " + std::to_string(axis));
                    }
                }
            }
        }
    });
    if (!s) return s;
    return out;
}

}  // namespace qm::sheet
