// The page interface, injected into every page before its own scripts run:
//   cefQuery({request, persistent, onSuccess, onFailure}) -> query id
//   cefQueryCancel(id)
//   setMessageCallback(name, fn)
// It talks to the view's "orvantaBridge" over Qt WebChannel. Requests made
// before the channel is ready wait in a queue. Event callbacks live with the
// page: a reloaded page starts with an empty table and registers again.
(function () {
    'use strict';
    if (window.cefQuery)
        return;

    var knownEvents = [
        'devicesChanged', 'onDeviceData', 'macroItem', 'currentPropChanged',
        'navStateChanged', 'onBrowserMsg', 'onUpdateFirmware', 'OnRGBMusicData',
        'RefreshDownState', 'onSwitchVirtualDevice', 'keyDown', 'mouseMove',
        'RefreshUpdateState', 'onPresetChanged'
    ];
    var callbacks = {};
    var queries = {};
    var waiting = [];
    var bridge = null;
    var token = Math.random().toString(36).slice(2) + ':';
    var counter = 0;

    window.cefQuery = function (query) {
        if (!query || typeof query !== 'object')
            return 0;
        var number = ++counter;
        var id = token + number;
        queries[id] = query;
        var request = String(query.request);
        if (bridge)
            bridge.query(id, request);
        else
            waiting.push([id, request]);
        return number;
    };

    window.cefQueryCancel = function (number) {
        var id = token + number;
        if (!queries[id])
            return;
        delete queries[id];
        for (var i = 0; i < waiting.length; ++i) {
            if (waiting[i][0] === id) {
                waiting.splice(i, 1);
                return;
            }
        }
        if (bridge)
            bridge.cancel(id);
    };

    window.setMessageCallback = function (name, fn) {
        if (arguments.length !== 2 || typeof name !== 'string' || typeof fn !== 'function')
            return;
        if (!Object.prototype.hasOwnProperty.call(callbacks, name))
            callbacks[name] = fn;
    };

    function convert(value) {
        if (Array.isArray(value))
            return value.map(convert);
        var type = typeof value;
        if (type === 'boolean' || type === 'number' || type === 'string')
            return value;
        return null;
    }

    function onAnswer(id, success, code, text) {
        var query = queries[id];
        if (!query)
            return;
        if (!query.persistent)
            delete queries[id];
        if (success) {
            if (typeof query.onSuccess === 'function')
                query.onSuccess(text);
        } else if (typeof query.onFailure === 'function') {
            query.onFailure(code, text);
        }
    }

    function onEvent(name, args) {
        if (knownEvents.indexOf(name) < 0)
            return;
        if (!Object.prototype.hasOwnProperty.call(callbacks, name))
            return;
        callbacks[name].call(undefined, convert(Array.isArray(args) ? args : []));
    }

    function connect() {
        if (typeof qt === 'undefined' || !qt.webChannelTransport) {
            setTimeout(connect, 5);
            return;
        }
        new QWebChannel(qt.webChannelTransport, function (channel) {
            bridge = channel.objects.orvantaBridge;
            bridge.answered.connect(onAnswer);
            bridge.pageEvent.connect(onEvent);
            var queued = waiting;
            waiting = [];
            for (var i = 0; i < queued.length; ++i)
                bridge.query(queued[i][0], queued[i][1]);
        });
    }
    connect();
})();
