// Device picture, drawn inline by ui/device_image.js.
export default `<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 240 300" class="device-svg mouse-svg">
	<path class="body" d="M120 18 C165 18 185 50 186 110 L186 200 C186 255 160 286 120 286 C80 286 54 255 54 200 L54 110 C55 50 75 18 120 18 Z"/>
	<path id="button1" class="zone" d="M117 22 C80 24 58 55 57 110 L57 122 L117 122 Z"/>
	<path id="button2" class="zone" d="M123 22 C160 24 182 55 183 110 L183 122 L123 122 Z"/>
	<rect id="button3" class="zone" x="111" y="40" width="18" height="42" rx="9"/>
	<rect id="button4" class="zone" x="49" y="152" width="9" height="30" rx="3"/>
	<rect id="button5" class="zone" x="49" y="118" width="9" height="30" rx="3"/>
	<rect id="button6" class="zone" x="112" y="90" width="16" height="22" rx="4"/>
	<rect id="button7" class="zone" x="51" y="80" width="8" height="26" rx="3"/>
	<rect id="button8" class="zone" x="104" y="262" width="32" height="9" rx="4"/>
	<circle id="led1" class="led" cx="120" cy="205" r="13"/>
	<line id="button1-leader" class="leader" x1="80" y1="72" x2="30" y2="62"/>
	<line id="button2-leader" class="leader" x1="160" y1="72" x2="210" y2="62"/>
	<line id="button3-leader" class="leader" x1="129" y1="50" x2="210" y2="32"/>
	<line id="button4-leader" class="leader" x1="49" y1="167" x2="30" y2="167"/>
	<line id="button5-leader" class="leader" x1="49" y1="133" x2="30" y2="133"/>
	<line id="button6-leader" class="leader" x1="128" y1="101" x2="210" y2="101"/>
	<line id="button7-leader" class="leader" x1="51" y1="93" x2="30" y2="97"/>
	<line id="button8-leader" class="leader" x1="136" y1="266" x2="210" y2="266"/>
	<g id="button1-marker" class="marker"><circle cx="20" cy="62" r="10"/><text x="20" y="66">1</text></g>
	<g id="button2-marker" class="marker"><circle cx="220" cy="62" r="10"/><text x="220" y="66">2</text></g>
	<g id="button3-marker" class="marker"><circle cx="220" cy="32" r="10"/><text x="220" y="36">3</text></g>
	<g id="button4-marker" class="marker"><circle cx="20" cy="167" r="10"/><text x="20" y="171">4</text></g>
	<g id="button5-marker" class="marker"><circle cx="20" cy="133" r="10"/><text x="20" y="137">5</text></g>
	<g id="button6-marker" class="marker"><circle cx="220" cy="101" r="10"/><text x="220" y="105">6</text></g>
	<g id="button7-marker" class="marker"><circle cx="20" cy="97" r="10"/><text x="20" y="101">7</text></g>
	<g id="button8-marker" class="marker"><circle cx="220" cy="266" r="10"/><text x="220" y="270">8</text></g>
</svg>`;
