import QtQuick
import QtTest
import Quorvel.ProgressBar
import Quorvel.Testing

// The item's sixteen properties, their change signals, the bar's creation
// values and range rules, and what screen readers see.
Item {
    id: root
    width: 400
    height: 200

    Component {
        id: barComponent
        ProgressBar {
            width: 200
            height: 24
        }
    }

    TestCase {
        name: "ProgressBar"

        function newBar(properties) {
            return createTemporaryObject(barComponent, root, properties || {})
        }

        function test_a_new_bar_has_the_creation_values() {
            const bar = newBar()
            compare(bar.max, 100)
            compare(bar.min, 0)
            compare(bar.value, 50)
            compare(bar.roundedValue, 5)
            verify(bar.enabled)
            compare(bar.theme, 1)
            compare(bar.textStyle, 3)
            compare(bar.orientations, 1)
            compare(bar.textAlignment, 5)
            compare(bar.text, "Vorn ProgressBar")
            compare(bar.textEffectColor, 0xFFFFFF)
            compare(bar.textEffect, 5)
            compare(bar.textForeColor, 0)
            compare(bar.pbsCustomeColor1, 0)
            compare(bar.pbsCustomeColor2, 0)
            compare(bar.caption, "Vorn ProgressBar")
            // Keyboard-free, as the widget.
            verify(!bar.activeFocusOnTab)
        }

        // One property set on a bar at its creation values (value 50 of 0..100).
        function test_range_rules_data() {
            return [
                { tag: "max 0 becomes 1", name: "max", set: 0, max: 1, min: 0, value: 1 },
                { tag: "max -7 becomes 1", name: "max", set: -7, max: 1, min: 0, value: 1 },
                { tag: "max 40 moves value", name: "max", set: 40, max: 40, min: 0, value: 40 },
                { tag: "min 100 becomes 99", name: "min", set: 100, max: 100, min: 99, value: 99 },
                { tag: "min -5 becomes 0", name: "min", set: -5, max: 100, min: 0, value: 50 },
                { tag: "min 60 moves value", name: "min", set: 60, max: 100, min: 60, value: 60 },
                { tag: "value 150 is capped", name: "value", set: 150, max: 100, min: 0, value: 100 },
                { tag: "value -3 is raised", name: "value", set: -3, max: 100, min: 0, value: 0 },
            ]
        }

        function test_range_rules(data) {
            const bar = newBar()
            bar[data.name] = data.set
            compare(bar.max, data.max)
            compare(bar.min, data.min)
            compare(bar.value, data.value)
        }

        // Whatever order QML sets them in while creating the item.
        function test_a_new_bar_takes_its_range_in_the_order_max_min_value() {
            const bar = newBar({ value: 8, min: 2, max: 10 })
            compare(bar.max, 10)
            compare(bar.min, 2)
            compare(bar.value, 8)
        }

        // Every property announces itself, also when set to its own value; a
        // bound that moves the position announces the position first.
        function test_every_change_is_signalled_in_the_bars_order() {
            const bar = newBar()
            const heard = []
            const names = ["value", "max", "min", "roundedValue", "theme", "textStyle",
                           "orientations", "textAlignment", "text", "textEffectColor",
                           "textEffect", "textForeColor", "textFont", "pbsCustomeColor1",
                           "pbsCustomeColor2"]
            for (const name of names)
                bar[name + "Changed"].connect(() => heard.push(name))
            bar.max = 40
            compare(heard, ["value", "max"])
            heard.length = 0
            for (const name of names)
                bar[name] = bar[name]
            compare(heard.length, names.length)
            heard.length = 0
            bar.theme = 11  // kept as given, like any other value
            bar.textAlignment = 0
            compare(heard, ["theme", "textAlignment"])
            compare(bar.theme, 11)
        }

        function test_the_caption_follows_the_text_style() {
            const bar = newBar({ max: 3, value: 1 })
            bar.textStyle = 1
            compare(bar.caption, "1")
            bar.textStyle = 2
            compare(bar.caption, Number(33.3333333333333).toLocaleString(Qt.locale(), "f", 13) + "%")
            bar.textEffect = 0
            compare(bar.caption, "")
        }

        function test_screen_readers_see_a_progress_bar_with_its_caption_and_range() {
            const bar = newBar({ max: 200, objectName: "Download" })
            const seen = WidgetComparison.accessible(bar)
            compare(seen.role, Accessible.ProgressBar)
            compare(seen.name, "Vorn ProgressBar")
            compare(seen.value, 50)
            compare(seen.minimum, 0)
            compare(seen.maximum, 200)
            bar.textStyle = 0
            compare(WidgetComparison.accessible(bar).name, "Download")
        }

        function test_disabled_is_the_greyed_look() {
            const bar = newBar()
            bar.enabled = false
            verify(!bar.enabled)
            root.enabled = false
            bar.enabled = true
            verify(!bar.enabled)  // a disabled ancestor greys it too
            root.enabled = true
            verify(bar.enabled)
        }
    }
}
