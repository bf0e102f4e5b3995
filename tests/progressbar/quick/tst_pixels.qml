import QtQuick
import QtTest
import Quorvel.ProgressBar
import Quorvel.Testing

// The item against the widget, pixel for pixel: the same bytes inside the
// bar's window region for every theme and the looks that change the drawing,
// and the background showing through outside it where the widget is masked.
Rectangle {
    id: root
    width: 320
    height: 240
    color: "#336699"

    ProgressBar {
        id: bar
        x: 10
        y: 10
        width: 200
        height: 24
        value: 40
    }

    TestCase {
        name: "ProgressBarPixels"
        when: windowShown

        function test_the_item_draws_as_the_widget_data() {
            const looks = []
            for (let theme = 1; theme <= 10; ++theme)
                looks.push({ tag: "theme " + theme, theme: theme })
            looks.push({ tag: "custom colours", theme: 10, pbsCustomeColor1: 0x1070E0,
                         pbsCustomeColor2: 0x6E5A50 })
            looks.push({ tag: "greyed", enabled: false })
            looks.push({ tag: "vertical, percentage", orientations: 2, textStyle: 2, width: 30,
                         height: 120 })
            looks.push({ tag: "round corners, raised caption bottom right", roundedValue: 14,
                         textEffect: 2, textAlignment: 9, height: 40 })
            return looks
        }

        function test_the_item_draws_as_the_widget(data) {
            const defaults = { theme: 1, enabled: true, orientations: 1, textStyle: 3,
                               roundedValue: 5, textEffect: 5, textAlignment: 5, width: 200,
                               height: 24, pbsCustomeColor1: 0, pbsCustomeColor2: 0 }
            for (const name in defaults)
                bar[name] = data[name] !== undefined ? data[name] : defaults[name]
            waitForRendering(bar)
            compare(WidgetComparison.differences(bar, root.color), "")
        }
    }
}
