// SPDX-License-Identifier: GPL-2.0-or-later
// Drives the SDK server with the openrgb-sdk client: lists the controllers, reads the LEDs,
// sets colours and waits for them in the virtual keyboard's report log. A hundred connections
// that never say a word are held open beside it the whole time: the client must be served all
// the same, and the server must let every silent one go.
// Usage: node check.js PORT REPORT_LOG NODE_MODULES
"use strict"
const fs = require("fs")
const net = require("net")
const path = require("path")
const [port, logPath, modules] = process.argv.slice(2)
const { Client } = require(path.join(modules, "openrgb-sdk"))

function fail(message) {
    console.error("FAIL: " + message)
    process.exit(1)
}

// The per-light blocks of the stream frames in the log, in order: the reports between the
// frame command (04 20) and the closing report (04 02), joined without their report ids.
function frames() {
    const found = []
    let current = null
    const text = fs.existsSync(logPath) ? fs.readFileSync(logPath, "utf8") : ""
    for (const line of text.split("\n")) {
        if (!line.includes('"iface":"cable"') || !line.includes('"op":"set_feature"')) continue
        const bytes = Buffer.from(JSON.parse(line).hex, "hex")
        if (bytes[1] === 0x04 && bytes[2] === 0x20) {
            current = []
            found.push(current)
        } else if (bytes[1] === 0x04 && bytes[2] === 0x02) {
            current = null
        } else if (current) {
            current.push(...bytes.subarray(1))
        }
    }
    return found
}

// A key's group in a frame is [light, red, green, blue], in LED order; the keyboard gets each
// channel at full level, × 255 / 256.
function frameHas(frame, colours) {
    const scaled = (c) => Math.floor((c * 255) / 256)
    return colours.every((colour, led) => {
        const at = led * 4
        return frame[at + 1] === scaled(colour.red) && frame[at + 2] === scaled(colour.green) &&
            frame[at + 3] === scaled(colour.blue)
    })
}

async function waitForFrame(colours, what) {
    for (let i = 0; i < 100; ++i) {
        if (frames().some((frame) => frameHas(frame, colours))) return
        await new Promise((resolve) => setTimeout(resolve, 50))
    }
    fail(what + ": no stream frame with the colours reached the keyboard")
}

// Sockets that connect and then only wait; resolves once each is connected (or refused).
async function openSilentSockets(count) {
    const sockets = []
    for (let i = 0; i < count; ++i) {
        const socket = net.connect(Number(port), "127.0.0.1")
        socket.closedByServer = false
        socket.on("error", () => {})
        socket.on("close", () => { socket.closedByServer = true })
        sockets.push(socket)
        await new Promise((resolve) => {
            socket.once("connect", resolve)
            socket.once("close", resolve)
        })
    }
    return sockets
}

async function main() {
    const silent = await openSilentSockets(100)
    const client = new Client("zephyl client test", Number(port), "127.0.0.1")
    await client.connect()
    const count = await client.getControllerCount()
    if (count !== 1) fail("expected one controller, got " + count)
    const device = await client.getControllerData(0)
    if (device.type !== 5) fail("the controller is not a keyboard: type " + device.type)
    if (!device.leds || device.leds.length < 10) fail("too few LEDs: " + JSON.stringify(device.leds))
    const names = device.leds.map((led) => led.name)
    if (names.some((name) => !name)) fail("a LED without a name")
    if (device.colors.length !== device.leds.length) fail("one colour per LED expected")
    if (device.zones.length !== 1 || device.zones[0].ledsCount !== device.leds.length)
        fail("one zone of every key expected: " + JSON.stringify(device.zones.map((z) => z.name)))
    if (device.modes[0].name !== "Direct") fail("mode 0 is " + device.modes[0].name)
    console.log(`${device.name}: ${device.leds.length} LEDs (${names.slice(0, 5).join(", ")}, …), ` +
        `${device.modes.length} modes`)

    // Every key its own colour.
    const colours = device.leds.map((_, led) => ({ red: (led * 7) % 256, green: 0xA5, blue: 255 - led }))
    await client.updateLeds(0, colours)
    await waitForFrame(colours, "updateLeds")

    colours[0] = { red: 0x12, green: 0x34, blue: 0x56 }
    await client.updateSingleLed(0, 0, colours[0])
    await waitForFrame(colours, "updateSingleLed")

    const again = await client.getControllerData(0)
    const seen = again.colors[0]
    if (seen.red !== 0x12 || seen.green !== 0x34 || seen.blue !== 0x56)
        fail("the controller does not report the colour set: " + JSON.stringify(seen))

    // A built-in effect by its name.
    const effect = device.modes[3]
    await client.updateMode(0, effect.name)
    let active = -1
    for (let i = 0; i < 50 && active !== 3; ++i) {
        await new Promise((resolve) => setTimeout(resolve, 50))
        active = (await client.getControllerData(0)).activeMode
    }
    if (active !== 3) fail("the effect " + effect.name + " did not become the active mode: " + active)
    await client.disconnect()

    // The silent ones are closed within the server's greeting time (a few seconds).
    for (let i = 0; i < 200 && silent.some((socket) => !socket.closedByServer); ++i) {
        await new Promise((resolve) => setTimeout(resolve, 50))
    }
    const left = silent.filter((socket) => !socket.closedByServer).length
    if (left > 0) fail(left + " silent connections are still held open by the server")
    console.log("OK: the client listed the keyboard, its colours reached it, an effect was chosen, " +
        "with 100 silent connections beside it")
}

main().catch((error) => fail(error && error.stack ? error.stack : String(error)))
